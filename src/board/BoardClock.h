// Where a simulated board takes its time from: the chip's busy times are deadlines on this
// clock, and the controller sleeps on it while the chip programs. The real clock serves the
// boards; a test gives a board a clock of its own that moves only when told to.
#pragma once

#include <chrono>

namespace tessary::board {

class BoardClock {
  public:
    using TimePoint = std::chrono::steady_clock::time_point;

    virtual ~BoardClock() = default;
    virtual TimePoint Now() const = 0;
    // Returns once Now() has reached `when`.
    virtual void SleepUntil(TimePoint when) = 0;
};

// The steady clock, shared by every board of the process.
BoardClock& RealClock();

} // namespace tessary::board
