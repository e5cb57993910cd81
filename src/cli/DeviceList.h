#pragma once

#include <string>
#include <vector>

namespace tessary::cli {

struct DeviceInfo {
    std::string name;
    bool isDefault = false;
};

// The devices of the library's table, in its order (the library must be initialised).
std::vector<DeviceInfo> ListDevices();

} // namespace tessary::cli
