#include "DeviceEntry.h"

#include "SerialOptions.h"
#include "SimOptions.h"

#include "QuoteText.h"

#include <unordered_set>

namespace tessary::lnkutil {

std::optional<DeviceKind> ParseDeviceKind(std::string_view text) {
    if (text == "sim") {
        return DeviceKind::Sim;
    }
    if (text == "serial") {
        return DeviceKind::Serial;
    }
    return std::nullopt;
}

std::string_view DeviceKindName(DeviceKind kind) {
    return kind == DeviceKind::Serial ? "serial" : "sim";
}

bool IsValidDeviceName(std::string_view name) {
    if (name.empty() || name.size() > kMaxDeviceName || name.front() == '.') {
        return false;
    }
    for (char c : name) {
        if (c <= ' ' || c > '~' || c == '#' || c == '/' || c == '\\') {
            return false;
        }
    }
    return true;
}

std::optional<std::string> DeviceEntry::Option(std::string_view key) const {
    for (const auto& [k, v] : options) {
        if (k == key) {
            return v;
        }
    }
    return std::nullopt;
}

bool ValidateEntry(const DeviceEntry& entry, std::string* reason) {
    if (!IsValidDeviceName(entry.name)) {
        *reason =
            "bad device name '" + QuoteForMessage(entry.name) + "' (1 to 19 characters, no blanks)";
        return false;
    }
    std::unordered_set<std::string_view> keys;
    for (const auto& [key, value] : entry.options) {
        if (!keys.insert(key).second) {
            *reason = "setting '" + QuoteForMessage(key) + "' given twice";
            return false;
        }
    }
    if (entry.kind == DeviceKind::Serial) {
        return ValidateSerialOptions(entry.options, reason);
    }
    board::BoardConfig config;
    return ParseSimOptions(entry.options, &config, reason);
}

} // namespace tessary::lnkutil
