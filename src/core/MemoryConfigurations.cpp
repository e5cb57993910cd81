#include "MemoryConfigurations.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace tessary {
namespace {

constexpr std::array kConfigurations = {
    Configuration{"q0", 0, "Q0 (512K Flash, 128K RAM)", true, true, 128u << 10},
    Configuration{"q1", 1, "Q1 (512K Flash, 512K RAM)", true, true, 512u << 10},
    Configuration{"q2", 2, "Q2 (1024K RAM)", true, false, 1024u << 10},
    Configuration{"q3", 3, "Q3 (1024K Flash)", false, true, 0},
    Configuration{"parvel4", 5, "Parvel (4MB Flash, 16MB RAM)", true, true, 16u << 20},
    Configuration{"parvel16", 6, "Parvel (16MB Flash, 16MB RAM)", true, true, 16u << 20},
};

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

} // namespace

std::span<const Configuration> Configurations() {
    return kConfigurations;
}

const Configuration* FindConfiguration(std::string_view name) {
    for (const Configuration& configuration : kConfigurations) {
        if (SameIgnoringCase(name, configuration.name)) {
            return &configuration;
        }
    }
    return nullptr;
}

const Configuration& ConfigurationNamed(std::string_view name) {
    for (const Configuration& configuration : kConfigurations) {
        if (name == configuration.name) {
            return configuration;
        }
    }
    return kConfigurations.front();
}

const Configuration& ConfigurationOfValue(int32_t value) {
    for (const Configuration& configuration : kConfigurations) {
        if (value == configuration.value) {
            return configuration;
        }
    }
    return kConfigurations.front();
}

} // namespace tessary
