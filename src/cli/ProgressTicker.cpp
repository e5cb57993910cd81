#include "ProgressTicker.h"

#include "ProgressDisplay.h"

#include <chrono>

namespace tessary::cli {

namespace {
constexpr std::chrono::milliseconds kTickInterval{250};
} // namespace

ProgressTicker::ProgressTicker(ProgressDisplay* progress) {
    if (progress == nullptr) {
        return;
    }
    thread_ = std::thread([this, progress] {
        std::unique_lock lock(mutex_);
        while (!wake_.wait_for(lock, kTickInterval, [this] { return stop_; })) {
            progress->Tick();
        }
    });
}

ProgressTicker::~ProgressTicker() {
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_one();
    if (thread_.joinable()) {
        thread_.join();
    }
}

} // namespace tessary::cli
