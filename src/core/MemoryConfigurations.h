// The memory configurations a board can have, as the command line and the device table name them,
// with the Properties page's labels, the memories each module carries and the layout of its Flash.
// Every place that shows or sizes a configuration reads it here.
#pragma once

#include "FlashChips.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tessary {

struct Configuration {
    const char* name;  // q0, q1, q2, q3, parvel4, parvel16
    int32_t value;     // the number a Session carries as its memory configuration
    const char* label; // the Properties page's radio button: "Q0 (512K Flash, 128K RAM)"
    const char*
        description;       // what it holds, as the command line's help says: "512K Flash, 128K RAM"
    const char* shortName; // as the device dialog's Flash list names it: "Q0", "Parvel 4MB"
    bool hasRam;
    bool hasFlash;
    // Bytes of RAM the module carries (0 without RAM); its address lines wrap there.
    uint32_t ramSize;
    // The layout of its Flash; a module without Flash keeps the smallest, which nothing erases.
    FlashChip flash;
};

// q0, q1, q2, q3, parvel4, parvel16, in the order of the Properties page's Q choices.
inline constexpr std::array kConfigurations = {
    Configuration{"q0", 0, "Q0 (512K Flash, 128K RAM)", "512K Flash, 128K RAM", "Q0", true, true,
                  128u << 10, FlashChip::k512K},
    Configuration{"q1", 1, "Q1 (512K Flash, 512K RAM)", "512K Flash, 512K RAM", "Q1", true, true,
                  512u << 10, FlashChip::k512K},
    Configuration{"q2", 2, "Q2 (1024K RAM)", "1024K RAM", "Q2", true, false, 1024u << 10,
                  FlashChip::k512K},
    Configuration{"q3", 3, "Q3 (1024K Flash)", "1024K Flash", "Q3", false, true, 0, FlashChip::k1M},
    Configuration{"parvel4", 5, "Parvel (4MB Flash, 16MB RAM)", "4MB Flash, 16MB RAM", "Parvel 4MB",
                  true, true, 16u << 20, FlashChip::k4M},
    Configuration{"parvel16", 6, "Parvel (16MB Flash, 16MB RAM)", "16MB Flash, 16MB RAM",
                  "Parvel 16MB", true, true, 16u << 20, FlashChip::k16M},
};

std::span<const Configuration> Configurations();

// Their names, in the same order, for a command line's choices.
std::vector<std::string> ConfigurationNames();

// The configuration of that name (case-insensitive), or null.
const Configuration* FindConfiguration(std::string_view name);

// The configuration of that name (exact, lower case); the first one (q0) for an unknown name.
constexpr const Configuration& ConfigurationNamed(std::string_view name) {
    for (const Configuration& configuration : kConfigurations) {
        if (name == configuration.name) {
            return configuration;
        }
    }
    return kConfigurations.front();
}

// The configuration of a MemoryConfiguration value; q0 for a value that names none.
const Configuration& ConfigurationOfValue(int32_t value);

// The layout of the configuration's Flash.
const FlashGeometry& FlashOf(const Configuration& configuration);

} // namespace tessary
