#include "HexText.h"

#include <cstdio>

namespace tessary {

std::string HexText(uint32_t value, int digits) {
    char text[16];
    std::snprintf(text, sizeof(text), "0x%0*X", digits, static_cast<unsigned>(value));
    return text;
}

} // namespace tessary
