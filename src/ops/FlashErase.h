#pragma once

#include <chrono>
#include <cstdint>

namespace tessary {

class MemoryController;
class MessageSink;
class StatusSink;

// The longest wait for one block erase: a real chip's worst block erase takes about 5 s, plus a
// margin. A chip still busy after it is treated as a broken link.
inline constexpr std::chrono::milliseconds kFlashEraseTimeout{8000};

// How long an erase may wait for the chip (tests use a short bound).
struct FlashWait {
    std::chrono::milliseconds timeout = kFlashEraseTimeout;
};

// Erases block index of the current configuration and waits until the chip reports ready: shows
// "Erasing block: %d" (counted from 1), sends the erase sequence and polls the status. A failed
// send or status read, or no ready within the wait, shows the communication-failure message; a
// ready status with an error bit (erase error, Vpp low, locked block) shows "Flash memory error."
// with the block, its address and the status as the cause, and clears the status so the chip
// accepts commands again. Returns false on any of them, and when the controller's cancel was asked
// for before the erase began (nothing is sent or shown then). Where the board computes checksums,
// a block reported erased whose checksum is not that of an erased block shows "Flash memory
// error." naming the block and its address, and fails. A cancel during the wait lets the
// erase under way finish, as the chip would ignore a return to read-array mode before then.
bool EraseFlashBlock(MemoryController& controller, int32_t index, const FlashWait& wait,
                     StatusSink& status, MessageSink& messages);

} // namespace tessary
