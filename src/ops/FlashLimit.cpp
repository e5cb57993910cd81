#include "FlashLimit.h"

#include "FlashGeometry.h"

#include <cstdio>

namespace tessary {

std::string FlashLimitMessage(int32_t configuration) {
    char text[80];
    std::snprintf(text, sizeof(text), "Invalid Flash address:  maximum Flash address is 0x%X.",
                  static_cast<unsigned>(FlashSize(configuration)));
    return text;
}

bool FlashRangeFits(int32_t configuration, int32_t start, int64_t length) {
    if (start < 0) {
        return false;
    }
    return length <= 0 ||
           static_cast<int64_t>(start) + length <= static_cast<int64_t>(FlashSize(configuration));
}

} // namespace tessary
