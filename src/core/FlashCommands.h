// The Intel-style Flash chip's command set and the bits of its status register. The simulated
// chips obey them and the program's client sends and reads them, so all take them from here.
#pragma once

#include <cstdint>

namespace tessary {

// Commands, written to the chip as a byte.
inline constexpr uint8_t kFlashReadArray = 0xFF;
inline constexpr uint8_t kFlashReadStatus = 0x70;
inline constexpr uint8_t kFlashClearStatus = 0x50;
inline constexpr uint8_t kFlashBlockErase = 0x20; // followed by the confirm at the block
inline constexpr uint8_t kFlashEraseConfirm = 0xD0;
inline constexpr uint8_t kFlashProgram = 0x40; // followed by the byte to program
inline constexpr uint8_t kFlashProgramAlternate = 0x10;

// Status register bits.
inline constexpr uint8_t kFlashStatusReady = 0x80;
inline constexpr uint8_t kFlashStatusEraseError = 0x20;
inline constexpr uint8_t kFlashStatusProgramError = 0x10;
inline constexpr uint8_t kFlashStatusVppLow = 0x08;
inline constexpr uint8_t kFlashStatusLocked = 0x02;

} // namespace tessary
