// Everything that describes one simulated board: its Flash chip, where its register block sits,
// how the chip behaves, where its memories are kept, and the faults it should show.
#pragma once

#include "Flash.h"
#include "FlashLayout.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tessary::board {

// Faults a test can ask the board to show. Counters start when the faults are set.
struct FaultConfig {
    // 1-based number of the register access (one single, repeated or set access) that fails
    // without touching the board; 0 = none.
    uint64_t failAccess = 0;
    // 1-based number of the data byte read back through the RAM or Flash data register that
    // comes back with flipMask XORed into it; 0 = none.
    uint64_t flipByte = 0;
    // Every data byte read back from this 1-based number on comes back flipped; 0 = none.
    uint64_t flipFrom = 0;
    uint8_t flipMask = 0x01;
};

struct BoardConfig {
    FlashLayout flashLayout = kDefaultFlashChip;
    // The Flash chip's times: a byte's program and a 128K block's erase (smaller blocks take
    // their share), each multiplied by timeScale; 0 = at once.
    uint32_t programMicros = kTypicalProgramMicros;
    uint32_t eraseMillis = kTypicalEraseMillis;
    double timeScale = 1.0;
    // Bytes of RAM, as the memory configuration has it (Q0: 128K); 0 = no RAM. Its addresses
    // wrap there, as a module's address lines do.
    uint32_t ramSize = 128 * 1024;
    // First register of the controller's block; a multiple of 8.
    uint8_t registerBase = 0;
    // Status reads that report busy after an erase before the chip reports ready, however long
    // the erase takes.
    uint32_t busyReads = 3;
    // Indexes of erase blocks that refuse erase and programming.
    std::vector<uint32_t> lockedBlocks;
    // The chip never finishes an erase: its status stays busy for ever.
    bool neverReady = false;
    // The board computes checksums on its side, as a board announcing x=c does (liblnkutil's
    // device then offers LnkBoardChecksum).
    bool checksum = false;
    // Erases the chip reports done without erasing anything.
    IgnoredErases ignoredErases;
    // Data bytes per second through the data registers; 0 = as fast as memory.
    uint64_t bytesPerSecond = 0;
    FaultConfig faults;
    // Image files backing the memories (RAM: ramSize, none without RAM; Flash: the layout's
    // size). Empty = the memory lives in this process only.
    std::string ramImage;
    std::string flashImage;
};

} // namespace tessary::board
