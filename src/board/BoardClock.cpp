#include "BoardClock.h"

#include <thread>

namespace tessary::board {
namespace {

class SteadyClock final : public BoardClock {
  public:
    TimePoint Now() const override { return std::chrono::steady_clock::now(); }
    void SleepUntil(TimePoint when) override { std::this_thread::sleep_until(when); }
};

} // namespace

BoardClock& RealClock() {
    static SteadyClock clock;
    return clock;
}

} // namespace tessary::board
