#pragma once

#include "FlashCommands.h"

#include <cstdint>
#include <string>

namespace tessary {

// The bits that make a finished erase a failed one.
inline constexpr uint8_t kFlashStatusEraseFailed =
    kFlashStatusEraseError | kFlashStatusVppLow | kFlashStatusLocked;

// "block 3 at 0x040000: status 0xA2 (erase error, block locked)"; index counts from 0 and is shown
// counted from 1, as the status texts count blocks.
std::string DescribeEraseFailure(int32_t index, uint32_t address, uint8_t status);

// "block 3 at 0x040000 still busy (status 0x00) when the wait for the chip ran out".
std::string DescribeEraseTimeout(int32_t index, uint32_t address, uint8_t status);

// "block 3 at 0x040000 still holds data after its erase reported success: ..." with what to do.
std::string DescribeBlockNotErased(int32_t index, uint32_t address);

} // namespace tessary
