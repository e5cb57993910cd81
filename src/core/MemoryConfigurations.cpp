#include "MemoryConfigurations.h"

#include <algorithm>
#include <cctype>

namespace tessary {
namespace {

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

std::vector<std::string> ConfigurationNames() {
    std::vector<std::string> names;
    for (const Configuration& configuration : kConfigurations) {
        names.emplace_back(configuration.name);
    }
    return names;
}

const Configuration* FindConfiguration(std::string_view name) {
    for (const Configuration& configuration : kConfigurations) {
        if (SameIgnoringCase(name, configuration.name)) {
            return &configuration;
        }
    }
    return nullptr;
}

const Configuration& ConfigurationOfValue(int32_t value) {
    for (const Configuration& configuration : kConfigurations) {
        if (value == configuration.value) {
            return configuration;
        }
    }
    return kConfigurations.front();
}

const FlashGeometry& FlashOf(const Configuration& configuration) {
    return GeometryOf(configuration.flash);
}

} // namespace tessary
