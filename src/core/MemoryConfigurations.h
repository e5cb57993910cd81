// The memory configurations a board can have, as the command line and the device table name them,
// with the Properties page's labels and the memories each module carries.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace tessary {

struct Configuration {
    const char* name;  // q0, q1, q2, q3, parvel4, parvel16
    int32_t value;     // the number a Session carries as its memory configuration
    const char* label; // the Properties page's radio button
    bool hasRam;
    bool hasFlash;
    // Bytes of RAM the module carries (0 without RAM); its address lines wrap there.
    uint32_t ramSize;
};

// q0, q1, q2, q3, parvel4, parvel16, in the order of the Properties page's Q choices.
std::span<const Configuration> Configurations();

// The configuration of that name (case-insensitive), or null.
const Configuration* FindConfiguration(std::string_view name);

// The configuration of that name (exact, lower case); the first one (q0) for an unknown name.
const Configuration& ConfigurationNamed(std::string_view name);

// The configuration of a MemoryConfiguration value; q0 for a value that names none.
const Configuration& ConfigurationOfValue(int32_t value);

} // namespace tessary
