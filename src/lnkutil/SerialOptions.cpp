#include "SerialOptions.h"

#include "BoardSettings.h"
#include "NetworkLine.h"
#include "QuoteText.h"

#include <charconv>

namespace tessary::lnkutil {

namespace {

std::optional<uint32_t> Whole(const std::string& text, uint32_t low, uint32_t high) {
    uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < low ||
        value > high) {
        return std::nullopt;
    }
    return value;
}

} // namespace

bool ValidateSerialOptions(const DeviceOptions& options, std::string* reason) {
    bool havePath = false;
    for (const auto& [key, value] : options) {
        if (IsBoardSetting(key)) {
            if (!CheckBoardSetting(key, value, reason)) {
                return false;
            }
            continue;
        }
        if (key == "baud") {
            if (!Whole(value, kMinBaud, kMaxBaud)) {
                *reason = "baud must be a whole number of baud from 50 to 100000000";
                return false;
            }
        } else if (key == "window") {
            if (!Whole(value, 1, 32)) {
                *reason = "window must be a number of requests from 1 to 32";
                return false;
            }
        } else if (key != "path") {
            *reason = "unknown serial setting '" + QuoteForMessage(key) + "'";
            return false;
        } else if (value.empty()) {
            *reason = "empty path";
            return false;
        } else if (std::string problem; !ParseNetworkLine(value, problem) && !problem.empty()) {
            *reason = "path '" + QuoteForMessage(value) + "': " + problem;
            return false;
        } else {
            havePath = true;
        }
    }
    if (!havePath) {
        *reason = "serial device without path=";
        return false;
    }
    return true;
}

SerialSettings SerialSettingsOf(const DeviceEntry& entry) {
    SerialSettings settings;
    settings.path = entry.Option("path").value_or("");
    if (const auto baud = entry.Option("baud")) {
        settings.baud = Whole(*baud, kMinBaud, kMaxBaud).value_or(kDefaultBaud);
    }
    if (const auto window = entry.Option("window")) {
        settings.window = static_cast<int32_t>(Whole(*window, 1, 32).value_or(0));
    }
    return settings;
}

} // namespace tessary::lnkutil
