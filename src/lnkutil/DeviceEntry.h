// One line of the device table: a named board connection of some kind, with its settings.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tessary::lnkutil {

enum class DeviceKind { Sim, Serial };

std::optional<DeviceKind> ParseDeviceKind(std::string_view text);
std::string_view DeviceKindName(DeviceKind kind);

// Device names: 1 to 19 printable characters without blanks, '#', '/' or '\\', not starting with
// '.'.
inline constexpr size_t kMaxDeviceName = 19;
bool IsValidDeviceName(std::string_view name);

using DeviceOptions = std::vector<std::pair<std::string, std::string>>;

struct DeviceEntry {
    std::string name;
    DeviceKind kind = DeviceKind::Sim;
    bool isDefault = false;
    // key=value settings in the order they were given.
    DeviceOptions options;

    // The value of `key`, or nullopt.
    std::optional<std::string> Option(std::string_view key) const;

    bool operator==(const DeviceEntry&) const = default;
};

// Checks the name and the options of the entry's kind; false with a reason when malformed.
bool ValidateEntry(const DeviceEntry& entry, std::string* reason);

} // namespace tessary::lnkutil
