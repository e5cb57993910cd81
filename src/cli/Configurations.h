#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace tessary::cli {

// A memory configuration as the command line names it, with the Properties page's label and the
// memories the module carries.
struct Configuration {
    const char* name;
    int32_t value; // MemoryConfiguration
    const char* label;
    bool hasRam;
    bool hasFlash;
};

// q0, q1, q2, q3, parvel4, parvel16, in the order of the Properties page's Q choices.
std::span<const Configuration> Configurations();

// The configuration of that name (exact, lower case); the first one (q0) for an unknown name.
const Configuration& ConfigurationNamed(std::string_view name);

} // namespace tessary::cli
