#include "FlashErase.h"

#include "MemoryController.h"
#include "OperationSupport.h"
#include "Sinks.h"
#include "StringTable.h"

#include <thread>

namespace tessary {
namespace {

constexpr uint8_t kStatusReady = 0x80;
// Erase error, Vpp low, locked block.
constexpr uint8_t kStatusEraseFailed = 0x20 | 0x08 | 0x02;

// A chip usually finishes within a few status reads; after this long the poll sleeps between
// reads so that a slow erase does not keep a core busy.
constexpr std::chrono::microseconds kSpinTime{2000};
constexpr std::chrono::milliseconds kPollPause{1};

enum class WaitResult { Ready, Failed, LinkError, TimedOut, Cancelled };

WaitResult WaitUntilReady(MemoryController& controller, const FlashWait& wait) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    for (;;) {
        uint8_t status = 0;
        if (controller.CancelRequested()) {
            return WaitResult::Cancelled;
        }
        if (!controller.ReadFlashStatus(status)) {
            return WaitResult::LinkError;
        }
        if ((status & kStatusReady) != 0) {
            return (status & kStatusEraseFailed) != 0 ? WaitResult::Failed : WaitResult::Ready;
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

} // namespace

bool EraseFlashBlock(MemoryController& controller, int32_t index, const FlashWait& wait,
                     StatusSink& status, MessageSink& messages) {
    status.SetStatusText(WithNumber("Erasing block: ", index + 1));
    if (!controller.EraseBlock(controller.BlockAddress(index))) {
        if (!controller.CancelRequested()) {
            ShowStringTableError(messages, kStrControllerError);
        }
        return false;
    }
    switch (WaitUntilReady(controller, wait)) {
    case WaitResult::Ready:
        return true;
    case WaitResult::Failed:
        ShowStringTableError(messages, kStrFlashError);
        controller.ClearStatus();
        return false;
    case WaitResult::LinkError:
    case WaitResult::TimedOut:
        ShowStringTableError(messages, kStrControllerError);
        return false;
    case WaitResult::Cancelled:
        return false;
    }
    return false;
}

} // namespace tessary
