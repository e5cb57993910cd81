#include "OperationRunner.h"

#include "Sinks.h"

#include <utility>

namespace tessary {

// The relay's signals are emitted on the worker and handled here, queued, in order.
OperationRunner::OperationRunner(StatusSink& status, QObject* parent)
    : QObject(parent), status_(status) {
    connect(
        &relay_, &WorkerRelay::ReportsWaiting, this,
        [this](quint64 run) {
            if (Current(run)) {
                Deliver(relay_.TakeReports());
            }
        },
        Qt::QueuedConnection);
    connect(&relay_, &WorkerRelay::MessageAsked, this, &OperationRunner::OnMessageAsked,
            Qt::QueuedConnection);
    connect(&relay_, &WorkerRelay::Finished, this, &OperationRunner::OnFinished,
            Qt::QueuedConnection);
}

OperationRunner::~OperationRunner() {
    CancelAndWait();
    {
        const std::lock_guard lock(mutex_);
        ending_ = true;
    }
    wake_.notify_one();
    if (worker_.joinable()) {
        worker_.join();
    }
}

void OperationRunner::WorkerLoop() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return job_ || ending_; });
        if (!job_) {
            return;
        }
        const std::function<void()> job = std::exchange(job_, {});
        working_ = true;
        lock.unlock();
        job();
        lock.lock();
        working_ = false;
        idle_.notify_all();
    }
}

bool OperationRunner::Start(Work work, MessageSink& messages) {
    if (Busy()) {
        return false;
    }
    cancel_.Reset();
    messages_ = &messages;
    run_ = relay_.Begin();
    busy_ = true;
    emit Started();
    {
        const std::lock_guard lock(mutex_);
        job_ = [relay = &relay_, work = std::move(work), &cancel = cancel_] {
            relay->Finish(work(*relay, *relay, cancel));
        };
    }
    if (!worker_.joinable()) {
        worker_ = std::thread(&OperationRunner::WorkerLoop, this);
    }
    wake_.notify_one();
    return true;
}

void OperationRunner::Deliver(const ReportBatch& reports) {
    reports.ForEach(
        [this](std::string_view text) {
            text_.assign(text);
            status_.SetStatusText(text_);
        },
        [this](int64_t done, int64_t total) { status_.ReportProgress(done, total); },
        [this] { status_.EndProgress(); });
}

void OperationRunner::Cancel() {
    cancel_.Cancel();
}

void OperationRunner::OnMessageAsked(quint64 run, const QString& text, const QString& caption,
                                     int icon, bool ownedByPage, const QString& cause) {
    if (!Current(run)) {
        return;
    }
    Deliver(relay_.TakeReports()); // what came before the message shows before its box
    if (cause.isEmpty()) {
        messages_->ShowMessage(text.toStdString(), caption.toStdString(),
                               static_cast<MessageIcon>(icon), ownedByPage);
    } else {
        messages_->ShowMessageWithCause(text.toStdString(), caption.toStdString(),
                                        static_cast<MessageIcon>(icon), ownedByPage,
                                        cause.toStdString());
    }
    // The box ran an event loop of its own; a CancelAndWait in it has ended the run already.
    if (Current(run)) {
        relay_.Answer();
    }
}

void OperationRunner::OnFinished(quint64 run, bool succeeded) {
    if (!Current(run)) {
        return;
    }
    Deliver(relay_.TakeReports());
    Join();
    emit Finished(succeeded, cancel_.Cancelled());
}

void OperationRunner::Join() {
    {
        std::unique_lock lock(mutex_);
        idle_.wait(lock, [this] { return !job_ && !working_; });
    }
    busy_ = false;
    messages_ = nullptr;
}

void OperationRunner::CancelAndWait() {
    if (!Busy()) {
        return;
    }
    cancel_.Cancel();
    relay_.Abandon();
    Join();
}

} // namespace tessary
