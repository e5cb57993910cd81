#include "TransferEstimate.h"

#include <cmath>
#include <cstdio>

namespace tessary {
namespace {

// Below this the first reports say little about the rate.
constexpr std::chrono::milliseconds kSettleTime{200};

} // namespace

void TransferEstimate::Begin(bool bytes, Clock::time_point now) {
    bytes_ = bytes;
    start_ = now;
    last_ = now;
    done_ = 0;
    total_ = 0;
}

void TransferEstimate::Update(int64_t done, int64_t total, Clock::time_point now) {
    done_ = done;
    total_ = total;
    last_ = now;
}

double TransferEstimate::PerSecond() const {
    const std::chrono::duration<double> elapsed = last_ - start_;
    if (last_ - start_ < kSettleTime || done_ <= 0) {
        return 0;
    }
    return static_cast<double>(done_) / elapsed.count();
}

std::string TransferEstimate::RateText() const {
    const double rate = PerSecond();
    if (!bytes_ || rate <= 0) {
        return {};
    }
    const double kilobytes = rate / 1024;
    char text[32];
    std::snprintf(text, sizeof(text), kilobytes < 10 ? "%.1f KB/s" : "%.0f KB/s", kilobytes);
    return text;
}

std::string TransferEstimate::TimeLeftText() const {
    const double rate = PerSecond();
    if (rate <= 0 || total_ <= 0) {
        return {};
    }
    const auto seconds =
        static_cast<int64_t>(std::ceil(static_cast<double>(total_ - done_) / rate));
    char text[32];
    if (seconds >= 3600) {
        std::snprintf(
            text, sizeof(text), "%lld:%02lld:%02lld left", static_cast<long long>(seconds / 3600),
            static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    } else {
        std::snprintf(text, sizeof(text), "%lld:%02lld left", static_cast<long long>(seconds / 60),
                      static_cast<long long>(seconds % 60));
    }
    return text;
}

} // namespace tessary
