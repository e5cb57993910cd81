#include "WorkerRelay.h"

#include <utility>

namespace tessary {

std::chrono::nanoseconds WorkerRelay::CoarseNow() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

quint64 WorkerRelay::Begin() {
    batch_.Clear();
    lastSignal_ = CoarseNow(); // the first batch, too, waits its interval: a short run needs no
                               // more than its end
    const std::lock_guard lock(mutex_);
    ready_.Clear();
    taken_.store(true, std::memory_order_relaxed);
    waiting_ = false;
    abandoned_ = false;
    return ++run_;
}

void WorkerRelay::Offer() {
    if (!taken_.load(std::memory_order_acquire)) {
        return; // a batch is on its way; this report goes with the next one
    }
    const auto now = CoarseNow();
    if (now - lastSignal_ < kSignalInterval) {
        return;
    }
    lastSignal_ = now;
    if (HandOver()) {
        emit ReportsWaiting(run_);
    }
}

bool WorkerRelay::HandOver() {
    const std::lock_guard lock(mutex_);
    if (ready_.Empty()) {
        std::swap(ready_, batch_); // the storage of a batch taken earlier comes back
    } else {
        ready_.Append(batch_);
    }
    batch_.Clear();
    return taken_.exchange(false, std::memory_order_acq_rel);
}

const ReportBatch& WorkerRelay::TakeReports() {
    const std::lock_guard lock(mutex_);
    std::swap(ready_, delivered_);
    ready_.Clear();
    taken_.store(true, std::memory_order_release);
    return delivered_;
}

void WorkerRelay::SetStatusText(const std::string& text) {
    batch_.AddText(text);
    Offer();
}

void WorkerRelay::ReportProgress(int64_t done, int64_t total) {
    batch_.AddProgress(done, total);
    Offer();
}

void WorkerRelay::EndProgress() {
    batch_.AddEnd();
    Offer();
}

void WorkerRelay::Finish(bool succeeded) {
    HandOver(); // taken along by the handler of Finished
    emit Finished(run_, succeeded);
}

void WorkerRelay::ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon,
                              bool ownedByPage) {
    ShowMessageWithCause(text, caption, icon, ownedByPage, std::string());
}

void WorkerRelay::ShowMessageWithCause(const std::string& text, const std::string& caption,
                                       MessageIcon icon, bool ownedByPage,
                                       const std::string& cause) {
    HandOver(); // taken along before the box shows
    std::unique_lock lock(mutex_);
    if (abandoned_) {
        return;
    }
    waiting_ = true;
    lock.unlock();
    emit MessageAsked(run_, QString::fromStdString(text), QString::fromStdString(caption),
                      static_cast<int>(icon), ownedByPage, QString::fromStdString(cause));
    lock.lock();
    answered_.wait(lock, [this] { return !waiting_ || abandoned_; });
}

void WorkerRelay::NoteFailure(const std::string& text, const std::string& caption,
                              const std::string& cause) {
    if (!cause.empty()) {
        ShowMessageWithCause(text, caption, MessageIcon::Error, true, cause);
    }
}

void WorkerRelay::Answer() {
    const std::lock_guard lock(mutex_);
    waiting_ = false;
    answered_.notify_all();
}

void WorkerRelay::Abandon() {
    const std::lock_guard lock(mutex_);
    abandoned_ = true;
    answered_.notify_all();
}

} // namespace tessary
