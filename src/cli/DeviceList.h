#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tessary::cli {

struct DeviceInfo {
    std::string name;
    bool isDefault = false;
    // The board's memory configuration and register base, when its table entry gives them.
    std::optional<std::string> configuration;
    std::optional<std::string> registerBase;
};

// The devices of the library's table, in its order (the library must be initialised).
std::vector<DeviceInfo> ListDevices();

} // namespace tessary::cli
