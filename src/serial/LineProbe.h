// Tests a serial line before it is used: opens it as an operation would, asks the board whether
// it is there and what it is, and closes it again.
#pragma once

#include <cstdint>
#include <string>

namespace tessary {

struct LineProbeResult {
    bool ok = false;
    std::string identity; // the board's identity text when ok
    std::string failure;  // why not, in words the person can act on, when not ok
};

// `baud` is the rate a tty is set to, or what a network line asks its server for.
LineProbeResult ProbeLine(const std::string& path, uint32_t baud);

} // namespace tessary
