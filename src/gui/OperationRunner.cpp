#include "OperationRunner.h"

#include "Sinks.h"
#include "WorkerRelay.h"

namespace tessary {

OperationRunner::OperationRunner(StatusSink& status, QObject* parent)
    : QObject(parent), status_(status) {}

OperationRunner::~OperationRunner() {
    CancelAndWait();
}

bool OperationRunner::Start(Work work, MessageSink& messages) {
    if (Busy()) {
        return false;
    }
    cancel_.Reset();
    messages_ = &messages;
    relay_ = new WorkerRelay;
    relay_->setParent(this); // gone with the runner at the latest
    Relay(relay_);
    emit Started();
    worker_ = std::thread([relay = relay_, work = std::move(work), &cancel = cancel_] {
        relay->Finish(work(*relay, *relay, cancel));
    });
    return true;
}

// Queued: the relay's signals are emitted on the worker and handled here, in order, for as long
// as the relay is the current run's.
void OperationRunner::Relay(WorkerRelay* relay) {
    connect(
        relay, &WorkerRelay::ReportsWaiting, this,
        [this, relay] {
            if (relay == relay_) {
                Deliver(relay->TakeReports());
            }
        },
        Qt::QueuedConnection);
    connect(
        relay, &WorkerRelay::MessageAsked, this,
        [this, relay](const QString& text, const QString& caption, int icon, bool ownedByPage,
                      const QString& cause) {
            OnMessageAsked(relay, text, caption, icon, ownedByPage, cause);
        },
        Qt::QueuedConnection);
    connect(
        relay, &WorkerRelay::Finished, this,
        [this, relay](bool succeeded) { OnFinished(relay, succeeded); }, Qt::QueuedConnection);
}

void OperationRunner::Deliver(const std::vector<WorkerRelay::Report>& reports) {
    for (const WorkerRelay::Report& report : reports) {
        switch (report.kind) {
        case WorkerRelay::Report::Kind::Text:
            status_.SetStatusText(report.text);
            break;
        case WorkerRelay::Report::Kind::Progress:
            status_.ReportProgress(report.done, report.total);
            break;
        case WorkerRelay::Report::Kind::End:
            status_.EndProgress();
            break;
        }
    }
}

void OperationRunner::Cancel() {
    cancel_.Cancel();
}

void OperationRunner::OnMessageAsked(WorkerRelay* relay, const QString& text,
                                     const QString& caption, int icon, bool ownedByPage,
                                     const QString& cause) {
    if (relay != relay_) {
        return;
    }
    Deliver(relay->TakeReports()); // what came before the message shows before its box
    if (cause.isEmpty()) {
        messages_->ShowMessage(text.toStdString(), caption.toStdString(),
                               static_cast<MessageIcon>(icon), ownedByPage);
    } else {
        messages_->ShowMessageWithCause(text.toStdString(), caption.toStdString(),
                                        static_cast<MessageIcon>(icon), ownedByPage,
                                        cause.toStdString());
    }
    // The box ran an event loop of its own; a CancelAndWait in it has ended the run already.
    if (relay == relay_) {
        relay->Answer();
    }
}

void OperationRunner::OnFinished(WorkerRelay* relay, bool succeeded) {
    if (relay != relay_) {
        return;
    }
    Deliver(relay->TakeReports());
    Join();
    emit Finished(succeeded, cancel_.Cancelled());
}

void OperationRunner::Join() {
    if (worker_.joinable()) {
        worker_.join();
    }
    relay_->deleteLater();
    relay_ = nullptr;
    messages_ = nullptr;
}

void OperationRunner::CancelAndWait() {
    if (!Busy()) {
        return;
    }
    cancel_.Cancel();
    relay_->Abandon();
    Join();
}

} // namespace tessary
