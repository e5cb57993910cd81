#pragma once

#include <cstdint>
#include <string>

namespace tessary {

// "Invalid Flash address:  maximum Flash address is 0x80000." for a memory configuration.
std::string FlashLimitMessage(int32_t configuration);

// Whether a load of length bytes at start stays inside the Flash of the configuration. A
// negative start never does: it would wrap to the top of the address space.
bool FlashRangeFits(int32_t configuration, int32_t start, int64_t length);

} // namespace tessary
