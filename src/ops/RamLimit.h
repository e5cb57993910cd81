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

// A module's address lines end at the RAM it carries: past it the board's address wraps round,
// each block lands on (and reads back from) the bytes of an earlier one, every verify passes and
// the RAM ends up holding only the range's tail. Whether length bytes from start stay inside the
// RAM of the memory configuration; a negative start never does.
bool ModuleRamFits(int32_t configuration, int32_t start, int64_t length);

// "Invalid RAM address:  the RAM of Q0 (512K Flash, 128K RAM) holds 128K (up to 0x20000); the
// range ends at 0x30000.", or that the module has no RAM at all.
std::string ModuleRamMessage(int32_t configuration, int32_t start, int64_t length);

} // namespace tessary
