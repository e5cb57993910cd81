// The memory controller's register map: the offsets of its eight registers from the block's base
// and the values of its control register. The board implements it and the program's client
// drives it, so both take it from here.
#pragma once

#include <cstdint>

namespace tessary {

// Register offsets inside the block.
inline constexpr uint8_t kRegControl = 0;
inline constexpr uint8_t kRegAddressLow = 1;
inline constexpr uint8_t kRegAddressMid = 2;
inline constexpr uint8_t kRegAddressHigh = 3;
inline constexpr uint8_t kRegFlashCommand = 4;
inline constexpr uint8_t kRegFlashStatus = 5;
inline constexpr uint8_t kRegRamData = 6;
inline constexpr uint8_t kRegFlashData = 7;

// Control register values: idle, the command-write strobe (on, then off), the status read.
inline constexpr uint8_t kControlIdle = 0xFF;
inline constexpr uint8_t kControlStrobeOn = 0xF5;
inline constexpr uint8_t kControlStrobeOff = 0xF7;
inline constexpr uint8_t kControlStatusRead = 0xF6;

} // namespace tessary
