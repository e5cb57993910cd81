#pragma once

#include "LoadSource.h"

#include <cstdint>
#include <vector>

namespace tessary {

class MemoryController;
class MessageSink;
class StatusSink;

// The erase blocks of a configuration that a Flash load touches: every block that holds a byte
// of one of the ranges, ascending.
std::vector<int32_t> TouchedBlocks(int32_t configuration, const std::vector<LoadRange>& ranges);

// The bytes of erase blocks that a Flash load does not cover, kept across the erase: read before
// any block is erased, programmed back right after their block's erase, so that every byte
// outside the loaded ranges reads the same before and after the load.
class KeptBlocks {
  public:
    KeptBlocks(int32_t configuration, const std::vector<LoadRange>& ranges)
        : configuration_(configuration), ranges_(ranges) {}

    // Whether a block holds bytes the ranges do not cover.
    bool PartlyCovered(int32_t index) const { return !Uncovered(index).empty(); }

    // Reads the uncovered bytes of block index ("Saving block: %d", counted from 1), each piece
    // twice. False when a read fails or is cancelled, or the two reads differ; a failed read and a
    // difference are reported.
    bool Save(MemoryController& controller, int32_t index, StatusSink& status,
              MessageSink& messages);

    // Programs the kept bytes of block index back after its erase ("Restoring block: %d"),
    // skipping what the erase left as it was (0xFF), and with verify reads them back. False
    // when programming or the comparison fails, reported.
    bool Restore(MemoryController& controller, int32_t index, bool verify, StatusSink& status,
                 MessageSink& messages);

  private:
    struct Kept {
        int32_t index;
        std::vector<LoadRange> runs;
        std::vector<std::vector<uint8_t>> bytes;
    };

    // The parts of block index outside the ranges, ascending.
    std::vector<LoadRange> Uncovered(int32_t index) const;

    int32_t configuration_;
    const std::vector<LoadRange>& ranges_;
    std::vector<Kept> kept_;
};

} // namespace tessary
