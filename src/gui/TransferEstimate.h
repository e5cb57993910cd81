#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace tessary {

// The rate and the time left of a running transfer, from its progress reports: "812 KB/s" and
// "0:07 left". Each phase of an operation (an erase counting blocks, then a transfer counting
// bytes) is measured from its own start.
class TransferEstimate {
  public:
    using Clock = std::chrono::steady_clock;

    // A new phase begins at now; bytes says whether its counts are bytes (else blocks).
    void Begin(bool bytes, Clock::time_point now);
    void Update(int64_t done, int64_t total, Clock::time_point now);

    // Empty until a rate is known; blocks have no rate of interest.
    std::string RateText() const;
    // Empty until a rate is known.
    std::string TimeLeftText() const;

  private:
    double PerSecond() const;

    bool bytes_ = true;
    Clock::time_point start_{};
    Clock::time_point last_{};
    int64_t done_ = 0;
    int64_t total_ = 0;
};

} // namespace tessary
