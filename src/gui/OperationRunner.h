#pragma once

#include "Cancel.h"
#include "WorkerRelay.h"

#include <QObject>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace tessary {

class MessageSink;
class StatusSink;

// Runs one operation at a time on a worker thread, so that the window keeps moving, resizing and
// painting while a transfer runs. The thread is started with the first run and waits for the next
// one between runs: starting a thread for each run would cost more than a short operation. What
// the operation reports comes back through queued signals and reaches the status sink and the
// message sink of the run on the user-interface thread, in the order the operation reported it.
// Nothing of Qt is touched on the worker thread.
class OperationRunner : public QObject {
    Q_OBJECT
  public:
    // What runs on the worker: an operation with everything it needs bound, given the sinks that
    // relay to the user-interface thread and the token of the run. True when it succeeded.
    using Work = std::function<bool(StatusSink&, MessageSink&, const CancelToken&)>;

    // status: where every run's status texts and progress go (the main window).
    OperationRunner(StatusSink& status, QObject* parent);
    // Cancels a run still going, waits for it, and ends the worker thread.
    ~OperationRunner() override;

    // Starts the work unless a run is going (then false, and nothing happens). messages receives
    // the run's message boxes; it must live until Finished.
    bool Start(Work work, MessageSink& messages);
    bool Busy() const { return busy_; }
    // Asks the running operation to stop at its next frame, block or erase poll.
    void Cancel();
    bool CancelRequested() const { return cancel_.Cancelled(); }
    // Cancels the run, if any, and waits until the worker has left it. Its remaining reports are
    // dropped and a box it waits on counts as answered: for the end of the program.
    void CancelAndWait();

  signals:
    void Started();
    // After the run's last report has reached the sinks.
    void Finished(bool succeeded, bool cancelled);

  private:
    // Whether a signal of the relay belongs to the run going now.
    bool Current(quint64 run) const { return busy_ && run == run_; }
    void Deliver(const ReportBatch& reports);
    void OnMessageAsked(quint64 run, const QString& text, const QString& caption, int icon,
                        bool ownedByPage, const QString& cause);
    void OnFinished(quint64 run, bool succeeded);
    // Waits until the worker thread has left the run and ends it: signals of it that are still
    // queued find it is no longer the current one and are dropped.
    void Join();
    // The worker thread: runs each job handed to it until the runner ends.
    void WorkerLoop();

    StatusSink& status_;
    MessageSink* messages_ = nullptr;
    CancelToken cancel_;
    WorkerRelay relay_;
    std::string text_; // the status text being delivered, kept to spare an allocation for each
    quint64 run_ = 0;
    bool busy_ = false;

    std::mutex mutex_;
    std::condition_variable wake_; // a job is waiting, or the runner is ending
    std::condition_variable idle_; // the worker has left its job
    std::function<void()> job_;    // the run handed to the worker and not taken yet
    bool working_ = false;         // the worker is inside a job
    bool ending_ = false;
    std::thread worker_; // started with the first run
};

} // namespace tessary
