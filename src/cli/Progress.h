#pragma once

#include "ProgressDisplay.h"
#include "ProgressFormat.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <mutex>
#include <string>

namespace tessary::cli {

// The progress display of a running operation on stderr. On a terminal one line is redrawn in
// place (status text, bar, percent, rate, time left), at most five times a second. Elsewhere (a
// CI log, a file) whole lines are printed, one per tenth of the work or every few seconds, so that
// a 16 MB transfer of 2048 blocks gives about ten lines. Tick, called from a clock of its own,
// keeps a line coming at least every five seconds when the board is slow to deliver a block. The
// calls may come from two threads.
class Progress final : public ProgressDisplay {
  public:
    using Clock = std::chrono::steady_clock;
    enum class Style { Bar, Lines };

    Progress(std::ostream& out, Style style, int width,
             std::function<Clock::time_point()> now = Clock::now);

    // A new status text. A change of unit starts a new phase (an erase, then a transfer): its
    // rate and time left are measured from here.
    void SetText(const std::string& text, ProgressUnit unit) override;
    void Update(int64_t done, int64_t total) override;
    // Takes a drawn bar off the line, before other output goes to the same stream.
    void Clear() override;
    // The operation has ended.
    void End() override;
    // Time has passed: within a phase, a log that has had nothing for five seconds gets the
    // present line again, and a bar is redrawn with its new rate and time left.
    void Tick() override;

  private:
    double Rate() const;
    void MaybeDraw();
    void Draw();
    void PrintLine();
    void ClearLine();

    mutable std::mutex mutex_;
    std::ostream& out_;
    Style style_;
    int width_;
    std::function<Clock::time_point()> now_;

    std::string text_;
    ProgressUnit unit_ = ProgressUnit::Bytes;
    bool inPhase_ = false;
    Clock::time_point phaseStart_{};
    bool haveCounts_ = false;
    int64_t done_ = 0;
    int64_t total_ = 0;
    int tenthsPrinted_ = 0;
    bool drawn_ = false;
    bool anyOutput_ = false;
    Clock::time_point lastOutput_{};
};

} // namespace tessary::cli
