#pragma once

#include "Cancel.h"
#include "WorkerRelay.h"

#include <QObject>

#include <functional>
#include <thread>
#include <vector>

namespace tessary {

class MessageSink;
class StatusSink;

// Runs one operation at a time on a worker thread, so that the window keeps moving, resizing and
// painting while a transfer runs. What the operation reports comes back through queued signals and
// reaches the status sink and the message sink of the run on the user-interface thread, in the
// order the operation reported it. Nothing of Qt is touched on the worker thread.
class OperationRunner : public QObject {
    Q_OBJECT
  public:
    // What runs on the worker: an operation with everything it needs bound, given the sinks that
    // relay to the user-interface thread and the token of the run. True when it succeeded.
    using Work = std::function<bool(StatusSink&, MessageSink&, const CancelToken&)>;

    // status: where every run's status texts and progress go (the main window).
    OperationRunner(StatusSink& status, QObject* parent);
    // Cancels a run still going and waits for it.
    ~OperationRunner() override;

    // Starts the work unless a run is going (then false, and nothing happens). messages receives
    // the run's message boxes; it must live until Finished.
    bool Start(Work work, MessageSink& messages);
    bool Busy() const { return relay_ != nullptr; }
    // Asks the running operation to stop at its next frame, block or erase poll.
    void Cancel();
    bool CancelRequested() const { return cancel_.Cancelled(); }
    // Cancels the run, if any, and waits until its thread has ended. Its remaining reports are
    // dropped and a box it waits on counts as answered: for the end of the program.
    void CancelAndWait();

  signals:
    void Started();
    // After the run's last report has reached the sinks.
    void Finished(bool succeeded, bool cancelled);

  private:
    void Relay(WorkerRelay* relay);
    void Deliver(const std::vector<WorkerRelay::Report>& reports);
    void OnMessageAsked(WorkerRelay* relay, const QString& text, const QString& caption, int icon,
                        bool ownedByPage, const QString& cause);
    void OnFinished(WorkerRelay* relay, bool succeeded);
    // Waits for the worker thread and lets go of the run's relay: reports of it that are still
    // queued find it is no longer the current one and are dropped.
    void Join();

    StatusSink& status_;
    MessageSink* messages_ = nullptr;
    CancelToken cancel_;
    WorkerRelay* relay_ = nullptr; // the current run's; deleted later, from the event loop
    std::thread worker_;
};

} // namespace tessary
