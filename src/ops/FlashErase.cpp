#include "FlashErase.h"

#include "ErasedByChecksum.h"
#include "FlashStatus.h"
#include "MemoryController.h"
#include "OperationSupport.h"
#include "Sinks.h"
#include "StringTable.h"

#include <thread>

namespace tessary {
namespace {

// A chip usually finishes within a few status reads; after this long the poll sleeps between
// reads so that a slow erase does not keep a core busy.
constexpr std::chrono::microseconds kSpinTime{2000};
constexpr std::chrono::milliseconds kPollPause{1};

enum class WaitResult { Ready, Failed, LinkError, TimedOut };

// Polls until the chip reports ready. A cancel does not stop the poll: a chip that is still
// erasing ignores every command, read-array included, so the erase under way is waited for (a
// few status reads on the simulated board) and the caller can then leave the chip readable.
WaitResult WaitUntilReady(MemoryController& controller, const FlashWait& wait, uint8_t& status) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    for (;;) {
        if (!controller.ReadFlashStatus(status)) {
            return WaitResult::LinkError;
        }
        if ((status & kFlashStatusReady) != 0) {
            return (status & kFlashStatusEraseFailed) != 0 ? WaitResult::Failed : WaitResult::Ready;
        }
        const Clock::duration waited = Clock::now() - start;
        if (waited >= wait.timeout) {
            return WaitResult::TimedOut;
        }
        if (waited >= kSpinTime) {
            std::this_thread::sleep_for(kPollPause);
        }
    }
}

// A chip may report a finished erase that did not happen. Where the board computes checksums, the
// block's CRC is compared with that of an erased block (one exchange per block).
bool ErasedAsReported(MemoryController& controller, int32_t index, uint32_t address,
                      MessageSink& messages) {
    if (!controller.OffersChecksum()) {
        return true;
    }
    bool erased = false;
    if (!ChecksumShowsErased(controller, address, controller.BlockSize(index), erased)) {
        if (!controller.CancelRequested()) {
            ShowStringTableError(messages, kStrControllerError, controller.FailureText());
        }
        return false;
    }
    if (!erased) {
        ShowStringTableError(messages, kStrFlashError, DescribeBlockNotErased(index, address));
    }
    return erased;
}

} // namespace

bool EraseFlashBlock(MemoryController& controller, int32_t index, const FlashWait& wait,
                     StatusSink& status, MessageSink& messages) {
    if (controller.CancelRequested()) {
        return false;
    }
    status.SetStatusText(WithNumber("Erasing block: ", index + 1));
    const uint32_t address = controller.BlockAddress(index);
    if (!controller.EraseBlock(address)) {
        if (!controller.CancelRequested()) {
            ShowStringTableError(messages, kStrControllerError, controller.FailureText());
        }
        return false;
    }
    uint8_t chipStatus = 0;
    switch (WaitUntilReady(controller, wait, chipStatus)) {
    case WaitResult::Ready:
        return ErasedAsReported(controller, index, address, messages);
    case WaitResult::Failed:
        ShowStringTableError(messages, kStrFlashError,
                             DescribeEraseFailure(index, address, chipStatus));
        controller.ClearStatus();
        return false;
    case WaitResult::LinkError:
        ShowStringTableError(messages, kStrControllerError, controller.FailureText());
        return false;
    case WaitResult::TimedOut:
        ShowStringTableError(messages, kStrControllerError,
                             DescribeEraseTimeout(index, address, chipStatus));
        return false;
    }
    return false;
}

} // namespace tessary
