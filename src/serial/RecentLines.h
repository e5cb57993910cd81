// Serial lines a person opened successfully before (a tessary-board pty, an adapter typed by
// hand), most recent first, kept in $XDG_STATE_HOME/tessary/serial-lines (else
// ~/.local/state/tessary/serial-lines) so that port lists can offer them again.
#pragma once

#include <string>
#include <vector>

namespace tessary {

// The file's path; empty when neither XDG_STATE_HOME nor HOME is set.
std::string RecentLinesPath();

// The lines in the file, most recent first; none when it cannot be read.
std::vector<std::string> RecentLines();

// Puts `line` first in the file (at most kMaxRecentLines are kept); false when it cannot be
// written, which costs the person nothing but the reminder.
bool RememberLine(const std::string& line);

inline constexpr size_t kMaxRecentLines = 8;

} // namespace tessary
