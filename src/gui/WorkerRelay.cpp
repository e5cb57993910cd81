#include "WorkerRelay.h"

#include <utility>

namespace tessary {

void WorkerRelay::Queue(Report report) {
    std::unique_lock lock(mutex_);
    reports_.push_back(std::move(report));
    const auto now = std::chrono::steady_clock::now();
    if (signalled_ || now - lastSignal_ < kSignalInterval) {
        return; // the signal on its way, the next one, a message or the end take it along
    }
    signalled_ = true;
    lastSignal_ = now;
    lock.unlock();
    emit ReportsWaiting();
}

std::vector<WorkerRelay::Report> WorkerRelay::TakeReports() {
    const std::lock_guard lock(mutex_);
    signalled_ = false;
    return std::exchange(reports_, {});
}

void WorkerRelay::SetStatusText(const std::string& text) {
    Queue({Report::Kind::Text, text});
}

void WorkerRelay::ReportProgress(int64_t done, int64_t total) {
    Queue({Report::Kind::Progress, {}, done, total});
}

void WorkerRelay::EndProgress() {
    Queue({Report::Kind::End, {}});
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
