#pragma once

#include "ReportBatch.h"
#include "Sinks.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <ctime>
#include <mutex>

namespace tessary {

// The sinks an operation on the worker thread reports to. Status texts and progress are gathered
// on the worker, in order, and handed to the user-interface thread in batches: one queued signal
// (ReportsWaiting) per batch, at most one batch on its way at a time and at most one every
// kSignalInterval, so a transfer of 2048 blocks costs a handful of wake-ups, not 4096. Handing a
// report over costs no lock and, once the first run is over, no allocation either: the relay
// serves run after run, and the batches' storage circulates between the threads and keeps its
// size (growing it afresh for every run cost a fast transfer several per cent). Each signal names
// its run, so that one still queued from a run that was abandoned is known and dropped. The relay
// lives on the user-interface thread; the worker touches nothing of Qt but the emission of its
// signals, which Qt allows from any thread. A message waits until the person has answered its
// box, as it would on the user-interface thread, so that the texts that follow it come after it.
class WorkerRelay : public QObject, public StatusSink, public MessageSink {
    Q_OBJECT
  public:
    // A batch waits at most this long for its ReportsWaiting; a message and the end of the run
    // take every report gathered so far along first.
    static constexpr std::chrono::milliseconds kSignalInterval{10};

    // User-interface side, while no run is going: a new run starts; what is left of the last one
    // is dropped. Returns the run's number, which its signals carry.
    quint64 Begin();

    // Worker side.
    void SetStatusText(const std::string& text) override;
    void ReportProgress(int64_t done, int64_t total) override;
    void EndProgress() override;
    void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon,
                     bool ownedByPage) override;
    void ShowMessageWithCause(const std::string& text, const std::string& caption, MessageIcon icon,
                              bool ownedByPage, const std::string& cause) override;
    // A transfer that broke off: besides its status text, a box over the page names the cause.
    void NoteFailure(const std::string& text, const std::string& caption,
                     const std::string& cause) override;
    // The last signal of a run.
    void Finish(bool succeeded);

    // User-interface side: the reports handed over since the last call, oldest first. They stay
    // valid until the next call.
    const ReportBatch& TakeReports();
    // The box of the last MessageAsked was answered.
    void Answer();
    // Nobody will answer any more (the program is ending): a waiting message returns at once.
    void Abandon();

  signals:
    void ReportsWaiting(quint64 run);
    void MessageAsked(quint64 run, const QString& text, const QString& caption, int icon,
                      bool ownedByPage, const QString& cause);
    void Finished(quint64 run, bool succeeded);

  private:
    // A monotonic clock read without a system call, fine to a few milliseconds: enough to space
    // batches kSignalInterval apart, and cheap enough to read after every report.
    static std::chrono::nanoseconds CoarseNow();
    // Hands the batch over when the last one has been taken and kSignalInterval has passed.
    void Offer();
    // Hands the batch over; adds it to the one still waiting if the last was not taken yet.
    // True when the user-interface thread is to be told.
    bool HandOver();

    quint64 run_ = 0; // set by Begin before the run's worker starts, read by the worker

    // The worker's batch, being gathered.
    ReportBatch batch_;
    std::chrono::nanoseconds lastSignal_{};

    std::mutex mutex_;
    // The batch handed over and not taken yet.
    ReportBatch ready_;
    std::atomic<bool> taken_{true}; // nothing handed over is waiting

    // The batch the user-interface thread took last.
    ReportBatch delivered_;

    std::condition_variable answered_;
    bool waiting_ = false;
    bool abandoned_ = false;
};

} // namespace tessary
