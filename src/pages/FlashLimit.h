#pragma once

#include <cstdint>
#include <string>

namespace tessary {

// "Invalid Flash address:  maximum Flash address is 0x80000." for the current configuration.
std::string FlashLimitMessage();

// Whether a load of length bytes at start stays inside the Flash of the current configuration.
// A negative start never does: it would wrap to the top of the address space.
bool FlashRangeFits(int32_t start, int64_t length);

} // namespace tessary
