#include "RamLimit.h"

namespace tessary {

std::string RamLimitMessage() {
    return "Invalid RAM address:  the RAM address space ends at 0x1000000.";
}

bool RamRangeFits(int32_t start, int64_t length) {
    return start >= 0 &&
           static_cast<int64_t>(start) + (length > 0 ? length : 0) <= kRamAddressSpace;
}

} // namespace tessary
