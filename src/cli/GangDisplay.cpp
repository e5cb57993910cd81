#include "GangDisplay.h"

#include "ProgressFormat.h"
#include "StringTable.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <ostream>

namespace tessary::cli {
namespace {

constexpr auto kRedrawEvery = std::chrono::milliseconds(200);
constexpr auto kLineAtLeastEvery = std::chrono::seconds(5);

int64_t Count(const nlohmann::json& event, const char* key) {
    return event.contains(key) && event[key].is_number() ? event[key].get<int64_t>() : -1;
}

std::string Text(const nlohmann::json& event, const char* key) {
    return event.contains(key) && event[key].is_string() ? event[key].get<std::string>() : "";
}

// "Loading block: 3" -> "Loading block: ": a phase of blocks is one kind, whatever its block.
std::string KindOf(const std::string& phase) {
    std::size_t end = phase.size();
    while (end > 0 && phase[end - 1] >= '0' && phase[end - 1] <= '9') {
        --end;
    }
    return phase.substr(0, end);
}

} // namespace

GangDisplay::GangDisplay(std::ostream& err, Style style, std::vector<std::string> boards, int width,
                         std::function<Clock::time_point()> now)
    : err_(err), style_(style), width_(std::max(width, 20)), now_(std::move(now)) {
    for (std::string& label : boards) {
        labelWidth_ = std::max(labelWidth_, label.size());
        Board board;
        board.label = std::move(label);
        boards_.push_back(std::move(board));
    }
}

std::string GangDisplay::Describe(const Board& board) const {
    if (board.ended) {
        return board.status;
    }
    std::string text = board.phase.empty() ? "Starting" : board.phase;
    if (board.blocks > 0 && board.block >= 0) {
        text += "  " + std::to_string(board.block) + "/" + std::to_string(board.blocks) + " blocks";
    } else if (board.total > 0) {
        text += "  " + std::to_string(Percent(board.done, board.total)) + "%";
        if (board.rate > 0) {
            text += "  " + FormatRate(board.rate, ProgressUnit::Bytes);
        }
    }
    return text;
}

void GangDisplay::BoardLine(std::size_t index, const std::string& line) {
    Board& board = boards_.at(index);
    if (style_ == Style::Json) {
        err_ << line << '\n' << std::flush;
        return;
    }
    const nlohmann::json event = nlohmann::json::parse(line, nullptr, false);
    if (!event.is_object() || !event.contains("event")) {
        Plain(board, line); // not one of the progress lines: shown as it came
        return;
    }
    const std::string kind = Text(event, "event");
    if (kind == "message") {
        Message(board, Text(event, "text"), Text(event, "caption"), Text(event, "cause"));
        return;
    }
    if (kind == "end") {
        board.ended = true;
        board.status = Text(event, "status");
        Redraw(true);
        return;
    }
    if (kind != "progress") {
        return;
    }
    board.phase = Text(event, "phase");
    board.done = std::max<int64_t>(Count(event, "done"), 0);
    board.total = Count(event, "total");
    board.block = Count(event, "block");
    board.blocks = Count(event, "blocks");
    board.rate =
        event.contains("rate") && event["rate"].is_number() ? event["rate"].get<double>() : 0;
    if (style_ == Style::Lines) {
        MaybePrintLine(board);
    } else {
        Redraw(false);
    }
}

void GangDisplay::MaybePrintLine(Board& board) {
    const std::string kind = KindOf(board.phase);
    const int tenth = board.total > 0 ? Percent(board.done, board.total) / 10 : -1;
    const bool newKind = kind != board.kind;
    const bool newTenth = tenth > board.tenthPrinted;
    const bool quiet = now_() - board.printed >= kLineAtLeastEvery;
    if (!newKind && !newTenth && !quiet) {
        return;
    }
    board.kind = kind;
    board.tenthPrinted = newKind ? tenth : std::max(tenth, board.tenthPrinted);
    board.printed = now_();
    err_ << board.label << ": " << Describe(board) << '\n' << std::flush;
}

void GangDisplay::Message(const Board& board, const std::string& text, const std::string& caption,
                          const std::string& cause) {
    if (style_ == Style::Json) {
        return;
    }
    ClearLines();
    err_ << board.label << ": error: " << text;
    if (!caption.empty() && caption != "Error" && caption != LoadResString(kStrErrorCaption)) {
        err_ << " (" << caption << ')';
    }
    err_ << '\n';
    if (!cause.empty()) {
        err_ << board.label << ":   cause: " << cause << '\n';
    }
    err_ << std::flush;
    Redraw(true);
}

void GangDisplay::Plain(const Board& board, const std::string& text) {
    ClearLines();
    err_ << board.label << ": " << text << '\n' << std::flush;
    Redraw(true);
}

void GangDisplay::ClearLines() {
    if (style_ == Style::Terminal && drawn_) {
        // Up to the first board's line, and everything below it away.
        err_ << "\x1b[" << boards_.size() << "A\r\x1b[J";
        drawn_ = false;
    }
}

void GangDisplay::Redraw(bool now) {
    if (style_ != Style::Terminal || (!now && drawn_ && now_() - drawnAt_ < kRedrawEvery)) {
        return;
    }
    std::string text;
    if (drawn_) {
        text += "\x1b[" + std::to_string(boards_.size()) + "A";
    }
    for (const Board& board : boards_) {
        std::string line = board.label + ":" +
                           std::string(labelWidth_ - board.label.size() + 1, ' ') + Describe(board);
        if (line.size() >= static_cast<std::size_t>(width_)) {
            line.resize(static_cast<std::size_t>(width_) - 1);
        }
        text += "\r" + line + "\x1b[K\n";
    }
    err_ << text << std::flush;
    drawn_ = true;
    drawnAt_ = now_();
}

void GangDisplay::Finish() {
    Redraw(true);
}

} // namespace tessary::cli
