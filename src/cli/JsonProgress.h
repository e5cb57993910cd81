#pragma once

#include "ProgressDisplay.h"

#include <chrono>
#include <functional>
#include <iosfwd>
#include <mutex>
#include <nlohmann/json_fwd.hpp>
#include <optional>

namespace tessary::cli {

// Progress for a machine: one JSON object per line, flushed, and nothing else on the stream.
// Events: "start"; "progress" (status text as "phase", bytes "done" of "total", the "block" of
// "blocks" in an erase or other per-block phase, transfer "rate" in bytes per second) at most ten
// a second, and again every five seconds while the board is slow; "message" for an error with
// its cause; "end" with the outcome, always the last line. Every event carries "operation",
// "device" and "elapsed" (seconds since start). "done" never goes down over a run.
class JsonProgress final : public ProgressDisplay {
  public:
    using Clock = std::chrono::steady_clock;

    explicit JsonProgress(std::ostream& out, std::function<Clock::time_point()> now = Clock::now);

    void Begin(const std::string& operation, const std::string& board) override;
    void SetText(const std::string& text, ProgressUnit unit) override;
    void Update(int64_t done, int64_t total) override;
    void Clear() override {}
    void End() override;
    void Tick() override;
    bool ShowMessage(const ShownMessage& message) override;
    bool Finish(const Outcome& outcome) override;

  private:
    nlohmann::ordered_json Event(const char* name) const;
    void Write(const nlohmann::ordered_json& event);
    void MaybeEmitProgress();
    void EmitProgress();
    double Seconds(Clock::time_point since) const;

    mutable std::mutex mutex_;
    std::ostream& out_;
    std::function<Clock::time_point()> now_;
    std::string operation_;
    std::string board_;
    Clock::time_point start_{};

    std::string phase_;
    ProgressUnit unit_ = ProgressUnit::Bytes;
    int64_t done_ = 0;
    std::optional<int64_t> total_;
    std::optional<int64_t> block_;
    std::optional<int64_t> blocks_;
    std::optional<Clock::time_point> transferStart_;
    bool pending_ = false; // a change not yet written
    bool emitted_ = false;
    Clock::time_point lastEmit_{};
};

} // namespace tessary::cli
