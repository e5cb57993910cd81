#include "Progress.h"

#include <algorithm>
#include <ostream>

namespace tessary::cli {
namespace {

constexpr std::chrono::milliseconds kRedrawInterval{200};
constexpr std::chrono::seconds kLineInterval{5};
constexpr int kBarWidth = 20;
// Too short a time to tell a rate from.
constexpr double kShortestMeasure = 0.05;

const char* UnitName(ProgressUnit unit) {
    return unit == ProgressUnit::Blocks ? "blocks" : "bytes";
}

} // namespace

Progress::Progress(std::ostream& out, Style style, int width,
                   std::function<Clock::time_point()> now)
    : out_(out), style_(style), width_(width), now_(std::move(now)) {}

void Progress::SetText(const std::string& text, ProgressUnit unit) {
    const std::lock_guard lock(mutex_);
    if (!inPhase_ || unit != unit_) {
        inPhase_ = true;
        unit_ = unit;
        phaseStart_ = now_();
        haveCounts_ = false;
        tenthsPrinted_ = 0;
    }
    text_ = text;
    if (style_ == Style::Bar) {
        MaybeDraw();
    }
}

void Progress::Update(int64_t done, int64_t total) {
    const std::lock_guard lock(mutex_);
    haveCounts_ = true;
    done_ = done;
    total_ = total;
    if (style_ == Style::Bar) {
        MaybeDraw();
        return;
    }
    const int tenths = Percent(done, total) / 10;
    if (tenths > tenthsPrinted_ || now_() - lastOutput_ >= kLineInterval) {
        tenthsPrinted_ = tenths;
        PrintLine();
    }
}

void Progress::Clear() {
    const std::lock_guard lock(mutex_);
    ClearLine();
}

void Progress::ClearLine() {
    if (drawn_) {
        out_ << "\r\033[K" << std::flush;
        drawn_ = false;
    }
}

void Progress::End() {
    const std::lock_guard lock(mutex_);
    ClearLine();
    inPhase_ = false;
    haveCounts_ = false;
}

void Progress::Tick() {
    const std::lock_guard lock(mutex_);
    if (!inPhase_) {
        return;
    }
    if (style_ == Style::Bar) {
        MaybeDraw();
    } else if (now_() - std::max(lastOutput_, phaseStart_) >= kLineInterval) {
        PrintLine();
    }
}

double Progress::Rate() const {
    const double elapsed = std::chrono::duration<double>(now_() - phaseStart_).count();
    if (elapsed < kShortestMeasure || done_ <= 0) {
        return 0;
    }
    return static_cast<double>(done_) / elapsed;
}

void Progress::MaybeDraw() {
    if (!anyOutput_ || now_() - lastOutput_ >= kRedrawInterval) {
        Draw();
    }
}

void Progress::Draw() {
    std::string line = text_;
    if (haveCounts_) {
        const double rate = Rate();
        const double left = rate > 0 ? static_cast<double>(total_ - done_) / rate : -1;
        line += "  " + FormatBar(done_, total_, kBarWidth) + ' ' +
                std::to_string(Percent(done_, total_)) + "%  " + FormatRate(rate, unit_) + "  " +
                FormatTimeLeft(left) + " left";
    }
    if (width_ > 1 && line.size() >= static_cast<std::size_t>(width_)) {
        line.resize(static_cast<std::size_t>(width_ - 1));
    }
    out_ << '\r' << line << "\033[K" << std::flush;
    drawn_ = true;
    anyOutput_ = true;
    lastOutput_ = now_();
}

void Progress::PrintLine() {
    out_ << text_;
    if (!haveCounts_) {
        out_ << '\n' << std::flush;
        anyOutput_ = true;
        lastOutput_ = now_();
        return;
    }
    out_ << "  " << Percent(done_, total_) << "%  " << done_ << '/' << total_ << ' '
         << UnitName(unit_);
    const double rate = Rate();
    if (rate > 0) {
        out_ << "  " << FormatRate(rate, unit_);
    }
    out_ << '\n' << std::flush;
    anyOutput_ = true;
    lastOutput_ = now_();
}

} // namespace tessary::cli
