#include "BoardSettings.h"

#include "MemoryConfigurations.h"
#include "QuoteText.h"

#include <charconv>

namespace tessary::lnkutil {

bool IsBoardSetting(std::string_view key) {
    return key == "config" || key == "base";
}

std::optional<uint8_t> ParseRegisterBaseSetting(std::string_view text) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value > 0xF8 ||
        value % 8 != 0) {
        return std::nullopt;
    }
    return static_cast<uint8_t>(value);
}

bool CheckBoardSetting(std::string_view key, std::string_view value, std::string* reason) {
    const bool good = key == "config" ? FindConfiguration(value) != nullptr
                                      : ParseRegisterBaseSetting(value).has_value();
    if (!good) {
        *reason = "bad value '" + QuoteForMessage(value) + "' for " + std::string(key);
        if (key == "config") {
            *reason += " (q0, q1, q2, q3, parvel4 or parvel16)";
        } else {
            *reason += " (0 to 0xF8, a multiple of 8)";
        }
    }
    return good;
}

} // namespace tessary::lnkutil
