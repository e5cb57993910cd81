#pragma once

#include "Cancel.h"
#include "Session.h"

#include <cstdint>
#include <span>
#include <vector>

namespace tessary {

class MemoryController;
class MessageSink;
class StatusSink;

// Whether every byte of block index of the configuration reads 0xFF. The chip must be in
// read-array mode. Where the board computes checksums, one exchange clears an erased block and
// only another block is read; reading stops at the first byte that is not; false when a read
// fails.
bool BlockIsErased(MemoryController& controller, int32_t configuration, int32_t index,
                   bool& erased);

// One block's outcome of a blank check.
struct BlockBlankness {
    int32_t index;
    bool erased;
};

// Reads the given blocks of the session's configuration (ascending indexes below BlockCount) and
// tells which are fully erased: "Checking block: %d" per block (counted from 1), then
// "Blank check complete: N of M blocks erased". Progress counts blocks. A failed connection or
// read shows its message and returns false; results then holds the blocks checked before it.
bool BlankCheckFlash(const Session& session, std::span<const int32_t> blocks,
                     std::vector<BlockBlankness>& results, StatusSink& status,
                     MessageSink& messages, const CancelToken& cancel = CancelToken::Never());

} // namespace tessary
