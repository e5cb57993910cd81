#pragma once

#include <cstdint>
#include <string>

namespace tessary {

// The controller's addresses are 24 bits: RAM ends at 16 MB, and a range past it would wrap to
// address 0 and overwrite (or read back) the start of RAM.
inline constexpr int64_t kRamAddressSpace = int64_t{1} << 24;

// "Invalid RAM address:  the RAM address space ends at 0x1000000."
std::string RamLimitMessage();

// Whether length bytes from start stay inside the address space; a negative start never does.
bool RamRangeFits(int32_t start, int64_t length);

} // namespace tessary
