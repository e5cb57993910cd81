// The Flash chips a board carries, each with its erase blocks: the simulated boards build their
// chip from it and the program erases by it, so both agree on where every block starts.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace tessary {

enum class FlashChip : uint8_t {
    k512K, // 128K, 128K, 128K, 96K, 8K, 8K, 16K
    k1M,   // 128K x 7, 96K, 8K, 8K, 16K
    k4M,   // 32 x 128K
    k16M,  // 128 x 128K
};

struct FlashGeometry {
    const char* name;     // "512k", "1m", "4m", "16m": a simulated board's flash= and --flash
    const char* sizeText; // "512K", "1024K", "4 MB", "16 MB": the device dialog's Flash list
    std::span<const uint32_t> blockSizes;  // from address 0 upwards
    std::span<const uint32_t> blockStarts; // ascending, the first at 0
    uint32_t flashSize;                    // the sum of the block sizes
    // The Erase Flash page's text for each block; empty for the large chips, whose page offers
    // only "Erase All".
    std::span<const char* const> labels;
};

// The chip a board carries when nothing names another.
inline constexpr FlashChip kDefaultFlashChip = FlashChip::k512K;
inline constexpr std::string_view kDefaultFlashLayout = "512k";

const FlashGeometry& GeometryOf(FlashChip chip);

// The four chips, smallest first.
std::span<const FlashChip> FlashChips();

} // namespace tessary
