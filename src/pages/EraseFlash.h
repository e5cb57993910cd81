#pragma once

#include "FlashErase.h"

#include <cstdint>
#include <span>
#include <vector>

namespace tessary {

class MessageSink;
class StatusSink;

// Every block index of the current memory configuration, ascending.
std::vector<int32_t> AllFlashBlocks();

// Erases the given blocks of the current configuration (ascending indexes below BlockCount), one
// after the other: "Connecting", "Erasing block: %d" per block, "Erase Complete". Failures show a
// string-table message (caption "Tessary Error", error icon, no owner) and stop the run; the
// status bar then keeps the last text shown. Progress counts blocks. Returns true when every block
// was erased.
bool EraseFlashBlocks(std::span<const int32_t> blocks, StatusSink& status, MessageSink& messages,
                      const FlashWait& wait = {});

// "Erase Selected": only the checked blocks of the visible list, ascending; indexes outside the
// configuration are ignored. With none checked it says so and contacts nothing. Returns true when
// every selected block was erased.
bool EraseSelectedFlashBlocks(std::vector<int32_t> checked, StatusSink& status,
                              MessageSink& messages, const FlashWait& wait = {});

} // namespace tessary
