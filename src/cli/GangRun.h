#pragma once

#include "GangBoards.h"
#include "GangDisplay.h"
#include "Request.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace tessary::cli {

// The hidden option that makes this program one board's process of a run on several boards:
// the Nth board (from 1) of the --device or --serial options only, "{device}" in the file name
// replaced by that board's name, the outcome as JSON on stdout and the progress as JSON on stderr.
inline constexpr const char* kGangMemberOption = "--gang-member";

// Runs the request on every board at once, one process per board started with `arguments` (the
// command line without the program's name) and the member option. First the checks that need no
// board (a refusal is bad usage, exit 2). Progress and the boards' errors go to `err` in the
// display's style, the summary to `out`: a table, or with --json one object per board and line.
// A cancel (SIGINT, SIGTERM, SIGHUP, SIGQUIT) is passed on to every board. The exit status: 130
// when cancelled, else 1 when a board failed, else 2 when one refused, else 0.
int RunGang(const Request& request, const GangBoards& boards,
            const std::vector<std::string>& arguments, GangDisplay::Style style, int width,
            std::ostream& out, std::ostream& err);

} // namespace tessary::cli
