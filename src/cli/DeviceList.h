#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace tessary::cli {

struct DeviceInfo {
    std::string name;
    bool isDefault = false;
    // The board's memory configuration and register base, when its table entry gives them.
    std::optional<std::string> configuration;
    std::optional<std::string> registerBase;
    std::string kind; // "sim" or "serial"
    // A simulated board's Flash ("512k" when its entry names none); a serial board's line and rate
    // (when its entry gives one).
    std::optional<std::string> flash;
    std::optional<std::string> line;
    std::optional<std::string> baud;
};

// The devices of the library's table, in its order (the library must be initialised).
std::vector<DeviceInfo> ListDevices();

// One device a line, in columns: name, "(default)", kind, its Flash or line, configuration, base.
void PrintDevices(const std::vector<DeviceInfo>& devices, std::ostream& out, std::ostream& err);

} // namespace tessary::cli
