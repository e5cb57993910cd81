#include "JsonProgress.h"

#include "Outcome.h"

#include <cmath>
#include <nlohmann/json.hpp>
#include <ostream>

namespace tessary::cli {
namespace {

constexpr std::chrono::milliseconds kShortestGap{100};
constexpr std::chrono::seconds kQuietGap{5};

// To a whole number of steps per unit (1000: milliseconds); exact in the decimal JSON writes.
double Rounded(double value, double perUnit) {
    return std::round(value * perUnit) / perUnit;
}

template <typename T> nlohmann::ordered_json OrNull(const std::optional<T>& value) {
    return value ? nlohmann::ordered_json(*value) : nlohmann::ordered_json(nullptr);
}

} // namespace

JsonProgress::JsonProgress(std::ostream& out, std::function<Clock::time_point()> now)
    : out_(out), now_(std::move(now)), start_(now_()) {}

void JsonProgress::Begin(const std::string& operation, const std::string& board) {
    const std::lock_guard lock(mutex_);
    operation_ = operation;
    board_ = board;
    start_ = now_();
    Write(Event("start"));
}

void JsonProgress::SetText(const std::string& text, ProgressUnit unit) {
    const std::lock_guard lock(mutex_);
    if (unit != unit_ && pending_) {
        EmitProgress(); // the last count of the phase that ends
    }
    if (unit != unit_ || (unit == ProgressUnit::Bytes && !transferStart_)) {
        block_.reset();
        blocks_.reset();
        if (unit == ProgressUnit::Bytes && !transferStart_) {
            transferStart_ = now_();
        }
    }
    unit_ = unit;
    if (unit == ProgressUnit::Blocks && !block_) {
        block_ = 0;
    }
    phase_ = text;
    pending_ = true;
    MaybeEmitProgress();
}

void JsonProgress::Update(int64_t done, int64_t total) {
    const std::lock_guard lock(mutex_);
    if (unit_ == ProgressUnit::Blocks) {
        block_ = done;
        blocks_ = total;
    } else {
        done_ = done;
        total_ = total;
    }
    pending_ = true;
    MaybeEmitProgress();
}

void JsonProgress::End() {
    const std::lock_guard lock(mutex_);
    if (pending_) {
        EmitProgress(); // a phase's last count is always written
    }
}

void JsonProgress::Tick() {
    const std::lock_guard lock(mutex_);
    if (phase_.empty()) {
        return;
    }
    const auto since = now_() - lastEmit_;
    if ((pending_ && since >= kShortestGap) || since >= kQuietGap) {
        EmitProgress();
    }
}

bool JsonProgress::ShowMessage(const ShownMessage& message) {
    const std::lock_guard lock(mutex_);
    if (pending_) {
        EmitProgress(); // what led up to the message comes before it
    }
    nlohmann::ordered_json event = Event("message");
    event["text"] = message.text;
    event["caption"] = message.caption;
    event["cause"] = message.cause.empty() ? nlohmann::ordered_json(nullptr)
                                           : nlohmann::ordered_json(message.cause);
    Write(event);
    return true;
}

bool JsonProgress::Finish(const Outcome& outcome) {
    const std::lock_guard lock(mutex_);
    if (pending_) {
        EmitProgress();
    }
    nlohmann::ordered_json event = Event("end");
    event["ok"] = outcome.exitCode == kExitSuccess;
    event["exitCode"] = outcome.exitCode;
    event["cancelled"] = outcome.cancelled;
    event["status"] = OrNull(outcome.status);
    event["done"] = done_;
    event["total"] = OrNull(total_);
    Write(event);
    return true;
}

nlohmann::ordered_json JsonProgress::Event(const char* name) const {
    nlohmann::ordered_json event;
    event["event"] = name;
    event["operation"] = operation_;
    event["device"] =
        board_.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(board_);
    event["elapsed"] = Rounded(Seconds(start_), 1000);
    return event;
}

void JsonProgress::Write(const nlohmann::ordered_json& event) {
    out_ << event.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n'
         << std::flush;
}

void JsonProgress::MaybeEmitProgress() {
    if (!emitted_ || now_() - lastEmit_ >= kShortestGap) {
        EmitProgress();
    }
}

void JsonProgress::EmitProgress() {
    nlohmann::ordered_json event = Event("progress");
    event["phase"] = phase_;
    event["done"] = done_;
    event["total"] = OrNull(total_);
    event["block"] = OrNull(block_);
    event["blocks"] = OrNull(blocks_);
    const double transfer = transferStart_ ? Seconds(*transferStart_) : 0;
    event["rate"] = transfer > 0 ? Rounded(static_cast<double>(done_) / transfer, 10) : 0.0;
    Write(event);
    pending_ = false;
    emitted_ = true;
    lastEmit_ = now_();
}

double JsonProgress::Seconds(Clock::time_point since) const {
    return std::chrono::duration<double>(now_() - since).count();
}

} // namespace tessary::cli
