#pragma once

#include <cstdint>
#include <span>

namespace tessary {

// The Flash of one memory configuration: its erase blocks' start addresses (ascending, the
// first at 0), its size, and the labels the Erase Flash page shows for its blocks (empty for the
// large layouts, which offer only "Erase All").
struct FlashLayout {
    std::span<const uint32_t> blockStarts;
    uint32_t flashSize;
    std::span<const char* const> labels;
};

// The layout of a configuration value; values other than 3, 5 and 6 use the 512K layout.
const FlashLayout& LayoutFor(int32_t configuration);

// Lookups over the layout of a memory configuration.
int32_t BlockCount(int32_t configuration);
uint32_t BlockAddress(int32_t configuration, int32_t index);
uint32_t FlashSize(int32_t configuration);
// The largest block index whose start is at or below the address.
int32_t BlockContaining(int32_t configuration, uint32_t address);

} // namespace tessary
