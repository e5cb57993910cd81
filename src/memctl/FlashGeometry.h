#pragma once

#include "FlashChips.h"

#include <cstdint>

namespace tessary {

// The layout of a configuration value's Flash (MemoryConfigurations.h); a value that names no
// configuration has q0's.
const FlashGeometry& LayoutFor(int32_t configuration);

// Lookups over the layout of a memory configuration.
int32_t BlockCount(int32_t configuration);
uint32_t BlockAddress(int32_t configuration, int32_t index);
uint32_t BlockSize(int32_t configuration, int32_t index);
uint32_t FlashSize(int32_t configuration);
// The largest block index whose start is at or below the address.
int32_t BlockContaining(int32_t configuration, uint32_t address);

} // namespace tessary
