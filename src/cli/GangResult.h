// What one board of a run on several boards at once did, from its process's outcome, and the
// summary of them all.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tessary::cli {

enum class BoardVerdict { Ok, Failed, Cancelled, Refused };

struct BoardResult {
    std::string board; // as the command line names it
    BoardVerdict verdict = BoardVerdict::Failed;
    int exitCode = 1;
    int64_t bytes = 0;
    double seconds = 0;
    // The failure's message and its cause; empty after a success.
    std::string cause;
    // The board's outcome object (its --json line) with "device" and "seconds" added.
    std::string json;
};

// The result of a board's process: its wait status and what it printed on stdout (the outcome
// as one JSON object).
BoardResult BoardResultOf(const std::string& board, int waitStatus, const std::string& out,
                          double seconds);

// "ok", "failed", "cancelled", "refused".
const char* VerdictName(BoardVerdict verdict);

// A table with a header, one row per board: board, result, bytes, time, cause.
std::string SummaryTable(const std::vector<BoardResult>& results);

// 130 when the run was cancelled or a board was, else 1 when a board failed, else 2 when a board
// refused the operation, else 0.
int GangExitCode(const std::vector<BoardResult>& results, bool cancelled);

} // namespace tessary::cli
