#pragma once

#include "Cancel.h"
#include "FlashErase.h"
#include "Session.h"

#include <cstdint>
#include <span>
#include <vector>

namespace tessary {

class MessageSink;
class StatusSink;

// Every block index of a memory configuration, ascending.
std::vector<int32_t> AllFlashBlocks(int32_t configuration);

// Erases the given blocks of the session's configuration (ascending indexes below BlockCount), one
// after the other: "Connecting", "Erasing block: %d" per block, "Erase Complete". Failures show a
// string-table message (caption "Tessary Error", error icon, no owner) and stop the run; the
// status bar then keeps the last text shown. Progress counts blocks. Returns true when every block
// was erased. A cancel stops it between status reads, returns the chip to read-array mode and
// shows "Operation cancelled.".
bool EraseFlashBlocks(const Session& session, std::span<const int32_t> blocks, StatusSink& status,
                      MessageSink& messages, const CancelToken& cancel = CancelToken::Never(),
                      const FlashWait& wait = {});

// "Erase Selected": only the checked blocks of the visible list, ascending; indexes outside the
// configuration are ignored. With none checked it says so and contacts nothing. Each block is
// read first ("Checking block: %d"); one that is already erased is skipped, saving an erase
// cycle, with the status "Block %d is already erased; skipped". Returns true when every selected
// block is erased.
bool EraseSelectedFlashBlocks(const Session& session, std::vector<int32_t> checked,
                              StatusSink& status, MessageSink& messages,
                              const CancelToken& cancel = CancelToken::Never(),
                              const FlashWait& wait = {});

} // namespace tessary
