// Runs the built tessary-cli in its own process, with the environment a test gives it, and
// collects what it printed.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace tessary::test {

struct CliResult {
    int exitCode = -1; // 128 + signal when it was killed
    std::string out;
    std::string err;
};

// Runs tessary-cli with the arguments. The environment is the test's own with the given
// variables set (replacing any of the same name). A run longer than 120 s is killed.
CliResult RunCli(const std::vector<std::string>& arguments,
                 const std::vector<std::pair<std::string, std::string>>& environment);

// The same, with the file at `inputPath` as its standard input.
CliResult RunCliWithInput(const std::vector<std::string>& arguments,
                          const std::vector<std::pair<std::string, std::string>>& environment,
                          const std::string& inputPath);

// A signal sent to the running tool once it has run for `after`.
struct Interruption {
    int signal;
    std::chrono::milliseconds after;
};

// The same, with the signal sent while it runs (unless it ended before).
CliResult RunCli(const std::vector<std::string>& arguments,
                 const std::vector<std::pair<std::string, std::string>>& environment,
                 const Interruption& interruption);

// Is shown the process and its stderr so far, each time more of it has arrived.
using CliWatcher = std::function<void(pid_t pid, const std::string& err)>;

// The same, with a watcher (that may, for one, send the process a signal).
CliResult RunCli(const std::vector<std::string>& arguments,
                 const std::vector<std::pair<std::string, std::string>>& environment,
                 const CliWatcher& watch);

} // namespace tessary::test
