#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

namespace tessary::cli {

class ProgressDisplay;

// Ticks a progress display from a thread of its own for as long as it lives, so that the display
// shows signs of life while the operation waits on a slow board between two blocks.
class ProgressTicker {
  public:
    // Nothing happens for a null display.
    explicit ProgressTicker(ProgressDisplay* progress);
    ~ProgressTicker();
    ProgressTicker(const ProgressTicker&) = delete;
    ProgressTicker& operator=(const ProgressTicker&) = delete;

  private:
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false;
    std::thread thread_;
};

} // namespace tessary::cli
