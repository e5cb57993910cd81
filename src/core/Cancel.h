#pragma once

#include <atomic>

namespace tessary {

// Asked for by the person (a Cancel button, a signal) on one thread, seen by the running
// operation on another, which checks it between frames, blocks and erase polls.
class CancelToken {
  public:
    void Cancel() { cancelled_.store(true, std::memory_order_relaxed); }
    bool Cancelled() const { return cancelled_.load(std::memory_order_relaxed); }
    void Reset() { cancelled_.store(false, std::memory_order_relaxed); }

    // A token that nobody cancels, for callers that offer no way to cancel.
    static const CancelToken& Never();

  private:
    std::atomic<bool> cancelled_{false};
};

} // namespace tessary
