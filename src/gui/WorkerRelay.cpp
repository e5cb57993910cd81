#include "WorkerRelay.h"

namespace tessary {

void WorkerRelay::SetStatusText(const std::string& text) {
    emit StatusText(QString::fromStdString(text));
}

void WorkerRelay::ReportProgress(int64_t done, int64_t total) {
    emit Progress(done, total);
}

void WorkerRelay::EndProgress() {
    emit ProgressEnded();
}

void WorkerRelay::ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon,
                              bool ownedByPage) {
    ShowMessageWithCause(text, caption, icon, ownedByPage, std::string());
}

void WorkerRelay::ShowMessageWithCause(const std::string& text, const std::string& caption,
                                       MessageIcon icon, bool ownedByPage,
                                       const std::string& cause) {
    std::unique_lock lock(mutex_);
    if (abandoned_) {
        return;
    }
    waiting_ = true;
    lock.unlock();
    emit MessageAsked(QString::fromStdString(text), QString::fromStdString(caption),
                      static_cast<int>(icon), ownedByPage, QString::fromStdString(cause));
    lock.lock();
    answered_.wait(lock, [this] { return !waiting_ || abandoned_; });
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
