#include "SpeedLimit.h"

#include <thread>

namespace tessary::board {

void SpeedLimit::SetRate(uint64_t bytesPerSecond) {
    rate_ = bytesPerSecond;
    due_ = std::chrono::steady_clock::now();
}

void SpeedLimit::Wait(size_t bytes) {
    const auto now = std::chrono::steady_clock::now();
    if (due_ < now) {
        due_ = now;
    }
    due_ += std::chrono::nanoseconds(static_cast<int64_t>(bytes * 1'000'000'000ULL / rate_));
    std::this_thread::sleep_until(due_);
}

} // namespace tessary::board
