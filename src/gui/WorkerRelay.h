#pragma once

#include "Sinks.h"

#include <QObject>
#include <QString>

#include <condition_variable>
#include <mutex>

namespace tessary {

// The sinks an operation on the worker thread reports to. Every call becomes a queued signal that
// the user-interface thread handles; the relay itself lives on that thread and the worker touches
// nothing of Qt but the emission of these signals, which Qt allows from any thread. A message
// waits until the person has answered its box, as it would on the user-interface thread, so that
// the texts that follow it come after it.
class WorkerRelay : public QObject, public StatusSink, public MessageSink {
    Q_OBJECT
  public:
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

    // User-interface side: the box of the last MessageAsked was answered.
    void Answer();
    // Nobody will answer any more (the program is ending): a waiting message returns at once.
    void Abandon();

  signals:
    void StatusText(const QString& text);
    void Progress(qint64 done, qint64 total);
    void ProgressEnded();
    void MessageAsked(const QString& text, const QString& caption, int icon, bool ownedByPage,
                      const QString& cause);
    void Finished(bool succeeded);

  private:
    std::mutex mutex_;
    std::condition_variable answered_;
    bool waiting_ = false;
    bool abandoned_ = false;
};

} // namespace tessary
