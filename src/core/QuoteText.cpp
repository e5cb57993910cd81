#include "QuoteText.h"

#include <cstdio>

namespace tessary {

std::string QuoteForMessage(std::string_view text, std::size_t maxChars) {
    const bool cut = text.size() > maxChars;
    std::string quoted;
    for (const char c : text.substr(0, maxChars)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            char escaped[5];
            std::snprintf(escaped, sizeof(escaped), "\\x%02X", byte);
            quoted += escaped;
        } else {
            quoted += c;
        }
    }
    if (cut) {
        quoted += "...";
    }
    return quoted;
}

} // namespace tessary
