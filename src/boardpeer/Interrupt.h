#pragma once

#include <chrono>

namespace tessary::peer {

using Clock = std::chrono::steady_clock;

// SIGINT and SIGTERM as something to wait on: they are blocked and read from a descriptor, so
// every wait of the board ends as soon as one arrives.
class Interrupt {
  public:
    Interrupt();
    ~Interrupt();
    Interrupt(const Interrupt&) = delete;
    Interrupt& operator=(const Interrupt&) = delete;

    bool ok() const { return fd_ >= 0; }
    bool Raised();
    // Waits until `fd` is readable (or only sleeps, with fd < 0) or `deadline` passes. False when
    // a signal arrived first.
    bool Wait(int fd, Clock::time_point deadline);
    bool SleepUntil(Clock::time_point deadline) { return Wait(-1, deadline); }

  private:
    int fd_ = -1;
    bool raised_ = false;
};

} // namespace tessary::peer
