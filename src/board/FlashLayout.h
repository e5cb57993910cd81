// The Flash chips the simulated board can carry (FlashChips.h), each built from its own list of
// erase-block sizes. The board never asks the client which layout it has: a client whose block
// table differs from the chip's finds out the way it would on real hardware.
#pragma once

#include "FlashChips.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tessary::board {

using FlashLayout = FlashChip;

// Erase-block sizes of the chip, from address 0 upwards.
std::span<const uint32_t> FlashBlockSizes(FlashLayout layout);

// Sum of the block sizes.
uint32_t FlashLayoutSize(FlashLayout layout);

// "512k", "1m", "4m", "16m" (case-insensitive); nullopt for anything else.
std::optional<FlashLayout> ParseFlashLayout(std::string_view text);

// The inverse of ParseFlashLayout ("512k", "1m", "4m", "16m").
std::string_view FlashLayoutName(FlashLayout layout);

// Every chip's name, smallest first, for a command line's choices.
std::vector<std::string> FlashLayoutNames();

// "512k, 1m, 4m or 16m".
std::string FlashLayoutChoices();

} // namespace tessary::board
