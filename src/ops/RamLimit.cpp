#include "RamLimit.h"

#include "MemoryConfigurations.h"

#include <algorithm>
#include <cstdio>

namespace tessary {
namespace {

bool EndsWithin(int32_t start, int64_t length, int64_t end) {
    return start >= 0 && static_cast<int64_t>(start) + std::max<int64_t>(length, 0) <= end;
}

// 128K, 1024K, 16MB: as the configurations' labels write them.
std::string SizeText(uint32_t bytes) {
    constexpr uint32_t kMegabyte = 1u << 20;
    if (bytes > kMegabyte && bytes % kMegabyte == 0) {
        return std::to_string(bytes / kMegabyte) + "MB";
    }
    return std::to_string(bytes >> 10) + "K";
}

} // namespace

std::string RamLimitMessage() {
    return "Invalid RAM address:  the RAM address space ends at 0x1000000.";
}

bool RamRangeFits(int32_t start, int64_t length) {
    return EndsWithin(start, length, kRamAddressSpace);
}

bool ModuleRamFits(int32_t configuration, int32_t start, int64_t length) {
    return EndsWithin(start, length, ConfigurationOfValue(configuration).ramSize);
}

std::string ModuleRamMessage(int32_t configuration, int32_t start, int64_t length) {
    const Configuration& module = ConfigurationOfValue(configuration);
    if (module.ramSize == 0) {
        return std::string("Invalid RAM address:  ") + module.label + " has no RAM.";
    }
    if (start < 0) {
        return "Invalid RAM address:  a RAM address is never negative.";
    }
    char text[200];
    std::snprintf(text, sizeof(text),
                  "Invalid RAM address:  the RAM of %s holds %s (up to 0x%X); the range ends at "
                  "0x%llX.",
                  module.label, SizeText(module.ramSize).c_str(), module.ramSize,
                  static_cast<unsigned long long>(static_cast<int64_t>(start) +
                                                  std::max<int64_t>(length, 0)));
    return text;
}

} // namespace tessary
