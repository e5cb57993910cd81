#include "GangResult.h"

#include "Outcome.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>
#include <sys/wait.h>

namespace tessary::cli {
namespace {

BoardVerdict VerdictOf(int exitCode) {
    switch (exitCode) {
    case kExitSuccess:
        return BoardVerdict::Ok;
    case kExitUsage:
        return BoardVerdict::Refused;
    case kExitCancelled:
        return BoardVerdict::Cancelled;
    default:
        return BoardVerdict::Failed;
    }
}

// The last line that is a JSON object, or nothing.
nlohmann::ordered_json OutcomeObject(const std::string& out) {
    std::istringstream lines(out);
    nlohmann::ordered_json found;
    for (std::string line; std::getline(lines, line);) {
        nlohmann::ordered_json parsed = nlohmann::ordered_json::parse(line, nullptr, false);
        if (parsed.is_object()) {
            found = std::move(parsed);
        }
    }
    return found;
}

// The status text and the cause of the last message that has one.
std::string CauseOf(const nlohmann::ordered_json& outcome) {
    std::string text;
    if (outcome.contains("status") && outcome["status"].is_string()) {
        text = outcome["status"].get<std::string>();
    }
    std::string cause;
    if (outcome.contains("messages") && outcome["messages"].is_array()) {
        for (const auto& message : outcome["messages"]) {
            if (message.contains("cause") && message["cause"].is_string()) {
                cause = message["cause"].get<std::string>();
            }
            if (text.empty() && message.contains("text") && message["text"].is_string()) {
                text = message["text"].get<std::string>();
            }
        }
    }
    if (cause.empty() || cause == text) {
        return text;
    }
    return text.empty() ? cause : text + " (" + cause + ")";
}

std::string Seconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof(text), "%.2f s", seconds);
    return text;
}

} // namespace

BoardResult BoardResultOf(const std::string& board, int waitStatus, const std::string& out,
                          double seconds) {
    BoardResult result;
    result.board = board;
    result.seconds = seconds;
    nlohmann::ordered_json outcome = OutcomeObject(out);
    if (WIFEXITED(waitStatus)) {
        result.exitCode = WEXITSTATUS(waitStatus);
    } else if (WIFSIGNALED(waitStatus)) {
        result.exitCode = 128 + WTERMSIG(waitStatus);
    }
    result.verdict = VerdictOf(result.exitCode);
    if (!outcome.is_object()) {
        // A process that ended without its outcome: it could not start, or a signal ended it.
        result.verdict =
            result.exitCode == kExitCancelled ? BoardVerdict::Cancelled : BoardVerdict::Failed;
        result.cause =
            WIFSIGNALED(waitStatus)
                ? "the board's process was ended by signal " + std::to_string(WTERMSIG(waitStatus))
                : "the board's process ended with status " + std::to_string(result.exitCode) +
                      " and no outcome";
        outcome = {{"ok", false},
                   {"exitCode", result.exitCode},
                   {"cancelled", false},
                   {"status", result.cause}};
    } else {
        if (outcome.contains("bytes") && outcome["bytes"].is_number_integer()) {
            result.bytes = outcome["bytes"].get<int64_t>();
        }
        if (result.verdict != BoardVerdict::Ok) {
            result.cause = CauseOf(outcome);
        }
    }
    nlohmann::ordered_json line = {{"device", board}};
    line.update(outcome);
    line["seconds"] = std::round(seconds * 1000) / 1000;
    result.json = line.dump();
    return result;
}

const char* VerdictName(BoardVerdict verdict) {
    switch (verdict) {
    case BoardVerdict::Ok:
        return "ok";
    case BoardVerdict::Cancelled:
        return "cancelled";
    case BoardVerdict::Refused:
        return "refused";
    default:
        return "failed";
    }
}

std::string SummaryTable(const std::vector<BoardResult>& results) {
    const std::vector<std::string> header = {"BOARD", "RESULT", "BYTES", "TIME", "CAUSE"};
    std::vector<std::vector<std::string>> rows = {header};
    for (const BoardResult& result : results) {
        rows.push_back({result.board, VerdictName(result.verdict), std::to_string(result.bytes),
                        Seconds(result.seconds), result.cause});
    }
    std::vector<std::size_t> widths(header.size(), 0);
    for (const auto& row : rows) {
        for (std::size_t i = 0; i < row.size(); ++i) {
            widths[i] = std::max(widths[i], row[i].size());
        }
    }
    std::string table;
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t i = 0; i < row.size(); ++i) {
            const bool rightAligned = i == 2 || i == 3;
            const std::string pad(widths[i] - row[i].size(), ' ');
            line += rightAligned ? pad + row[i] : row[i] + (i + 1 < row.size() ? pad : "");
            if (i + 1 < row.size()) {
                line += "  ";
            }
        }
        while (!line.empty() && line.back() == ' ') {
            line.pop_back();
        }
        table += line + '\n';
    }
    return table;
}

int GangExitCode(const std::vector<BoardResult>& results, bool cancelled) {
    const auto any = [&results](BoardVerdict verdict) {
        return std::any_of(results.begin(), results.end(),
                           [verdict](const BoardResult& r) { return r.verdict == verdict; });
    };
    if (cancelled || any(BoardVerdict::Cancelled)) {
        return kExitCancelled;
    }
    if (any(BoardVerdict::Failed)) {
        return kExitFailed;
    }
    return any(BoardVerdict::Refused) ? kExitUsage : kExitSuccess;
}

} // namespace tessary::cli
