// A command line refused before any board is contacted: bad usage, exit status 2.
#pragma once

#include "Request.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace tessary::cli {

// Reports the refusal of `command` (empty when the command line named none) and returns the exit
// status. Its lines go to `err`, the first after "error: ", then `footer` when not empty; with
// --progress json they are the "message" events of a run from "start" to "end" instead. With
// --json the outcome goes to `out`.
int ReportRefusal(const Request& request, const std::string& command,
                  const std::vector<std::string>& lines, const std::string& footer,
                  std::ostream& out, std::ostream& err);

} // namespace tessary::cli
