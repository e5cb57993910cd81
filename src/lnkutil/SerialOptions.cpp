#include "SerialOptions.h"

#include "BoardSettings.h"
#include "QuoteText.h"

namespace tessary::lnkutil {

bool ValidateSerialOptions(const DeviceOptions& options, std::string* reason) {
    bool havePath = false;
    for (const auto& [key, value] : options) {
        if (IsBoardSetting(key)) {
            if (!CheckBoardSetting(key, value, reason)) {
                return false;
            }
            continue;
        }
        if (key != "path") {
            *reason = "unknown serial setting '" + QuoteForMessage(key) + "'";
            return false;
        }
        if (value.empty()) {
            *reason = "empty path";
            return false;
        }
        havePath = true;
    }
    if (!havePath) {
        *reason = "serial device without path=";
        return false;
    }
    return true;
}

} // namespace tessary::lnkutil
