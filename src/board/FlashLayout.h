// The Flash chips the simulated board can carry, each described by its own list of erase-block
// sizes. The board never asks the client which layout it has: a client whose block table differs
// from the chip's finds out the way it would on real hardware.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace tessary::board {

enum class FlashLayout {
    k512K, // 128K, 128K, 128K, 96K, 8K, 8K, 16K
    k1M,   // 128K x 7, 96K, 8K, 8K, 16K
    k4M,   // 32 x 128K
    k16M,  // 128 x 128K
};

// Erase-block sizes of the chip, from address 0 upwards.
std::span<const uint32_t> FlashBlockSizes(FlashLayout layout);

// Sum of the block sizes.
uint32_t FlashLayoutSize(FlashLayout layout);

// "512k", "1m", "4m", "16m" (case-insensitive); nullopt for anything else.
std::optional<FlashLayout> ParseFlashLayout(std::string_view text);

// The inverse of ParseFlashLayout ("512k", "1m", "4m", "16m").
std::string_view FlashLayoutName(FlashLayout layout);

} // namespace tessary::board
