#pragma once

#include "Request.h"

#include <iosfwd>

namespace tessary::cli {

class ProgressDisplay;

// Runs a parsed command line: progress (unless progress is null) and "error: " lines go to err
// (a JSON display takes the errors and the end as events of its own);
// the outcome (the final status text, or the failure's message), the device list, or with --json
// the one JSON object go to out. Returns the exit status: 0 success, 1 the operation failed, 2
// invalid input (nothing was connected), 130 cancelled by SIGINT, SIGTERM, SIGHUP or SIGQUIT
// ("Operation cancelled." on err).
int Run(const Request& request, std::ostream& out, std::ostream& err, ProgressDisplay* progress);

} // namespace tessary::cli
