#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace tessary::cli {

// One board's process of a run on several boards: this program again (/proc/self/exe) with the
// given arguments, its stdout and stderr on pipes, its stdin /dev/null. It runs in a process
// group of its own, so that a terminal's Ctrl-C reaches only the parent, which passes the cancel
// on; it gets SIGTERM when the parent dies.
struct MemberProcess {
    pid_t pid = -1;
    int out = -1; // read ends, non-blocking; -1 once closed
    int err = -1;
};

// Starts the process; pid -1 when it could not be started.
MemberProcess StartMember(const std::vector<std::string>& arguments);

} // namespace tessary::cli
