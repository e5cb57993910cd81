// Holds a stream of bytes to a given rate by sleeping, so that a demo or a progress display can
// be watched on a board that would otherwise answer at memory speed.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

namespace tessary::board {

class SpeedLimit {
  public:
    // Bytes per second; 0 = no limit.
    void SetRate(uint64_t bytesPerSecond);
    // Accounts for `bytes` and sleeps until the stream is back within the rate.
    void Pass(size_t bytes) {
        if (rate_ != 0) {
            Wait(bytes);
        }
    }

  private:
    void Wait(size_t bytes);

    uint64_t rate_ = 0;
    std::chrono::steady_clock::time_point due_{};
};

} // namespace tessary::board
