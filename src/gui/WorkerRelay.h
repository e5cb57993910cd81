#pragma once

#include "Sinks.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace tessary {

// The sinks an operation on the worker thread reports to. Status texts and progress are queued
// here, in order, and one queued signal (ReportsWaiting) tells the user-interface thread to take
// them, however many arrived before it got there: a transfer of 2048 blocks costs a handful of
// wake-ups, not 4096. The relay lives on the user-interface thread; the worker touches nothing of
// Qt but the emission of its signals, which Qt allows from any thread. A message waits until the
// person has answered its box, as it would on the user-interface thread, so that the texts that
// follow it come after it.
class WorkerRelay : public QObject, public StatusSink, public MessageSink {
    Q_OBJECT
  public:
    // Reports wait at most this long for the next ReportsWaiting; a message and the end of the
    // run take every waiting report along first.
    static constexpr std::chrono::milliseconds kSignalInterval{10};

    // One status report, in the order the operation made it.
    struct Report {
        enum class Kind { Text, Progress, End } kind;
        std::string text;
        int64_t done = 0;
        int64_t total = 0;
    };

    // Worker side.
    void SetStatusText(const std::string& text) override;
    void ReportProgress(int64_t done, int64_t total) override;
    void EndProgress() override;
    void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon,
                     bool ownedByPage) override;
    void ShowMessageWithCause(const std::string& text, const std::string& caption, MessageIcon icon,
                              bool ownedByPage, const std::string& cause) override;
    // The last signal of a run.
    void Finish(bool succeeded) { emit Finished(succeeded); }

    // User-interface side: the reports queued since the last call, oldest first.
    std::vector<Report> TakeReports();
    // The box of the last MessageAsked was answered.
    void Answer();
    // Nobody will answer any more (the program is ending): a waiting message returns at once.
    void Abandon();

  signals:
    void ReportsWaiting();
    void MessageAsked(const QString& text, const QString& caption, int icon, bool ownedByPage,
                      const QString& cause);
    void Finished(bool succeeded);

  private:
    void Queue(Report report);

    std::mutex mutex_;
    std::vector<Report> reports_;
    bool signalled_ = false; // a ReportsWaiting is on its way
    std::chrono::steady_clock::time_point lastSignal_{};
    std::condition_variable answered_;
    bool waiting_ = false;
    bool abandoned_ = false;
};

} // namespace tessary
