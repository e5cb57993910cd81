#include "EraseFlash.h"

#include "BlankCheck.h"
#include "BoardFlash.h"
#include "Connection.h"
#include "FlashGeometry.h"
#include "MemoryController.h"
#include "OperationSupport.h"
#include "Sinks.h"
#include "StringTable.h"

#include <algorithm>

namespace tessary {

std::vector<int32_t> AllFlashBlocks(int32_t configuration) {
    std::vector<int32_t> blocks(static_cast<std::size_t>(BlockCount(configuration)));
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        blocks[i] = static_cast<int32_t>(i);
    }
    return blocks;
}

namespace {

// Erases the blocks one after the other; with skipErased a block that already reads all 0xFF is
// left alone, and the status says so.
bool EraseBlocks(const Session& session, std::span<const int32_t> blocks, bool skipErased,
                 StatusSink& status, MessageSink& messages, const CancelToken& cancel,
                 const FlashWait& wait) {
    ProgressScope progress(status);
    Connection connection(session, cancel);
    const ConnectTexts texts = StringTableConnectTexts();
    if (!connection.OpenPort(texts, messages)) {
        return false;
    }
    status.SetStatusText("Connecting");
    if (!connection.Connect(texts, messages)) {
        return false;
    }
    MemoryController& controller = connection.Controller();
    if (!BoardFlashMatches(controller, session.memoryConfiguration, LoadResString(kStrErrorCaption),
                           messages)) {
        return false;
    }
    const auto total = static_cast<int64_t>(blocks.size());
    int64_t skipped = 0;
    for (int64_t done = 0; done < total; ++done) {
        const int32_t index = blocks[static_cast<std::size_t>(done)];
        bool erased = false;
        if (skipErased) {
            controller.ReadArrayMode(); // a broken link shows in the read that follows
            status.SetStatusText(WithNumber("Checking block: ", index + 1));
            if (!BlockIsErased(controller, session.memoryConfiguration, index, erased)) {
                if (controller.CancelRequested()) {
                    status.SetStatusText(kCancelledText);
                } else {
                    ShowStringTableError(messages, kStrControllerError, controller.FailureText());
                }
                return false;
            }
        }
        if (erased) {
            ++skipped;
            status.SetStatusText("Block " + std::to_string(index + 1) +
                                 " is already erased; skipped");
        } else if (!EraseFlashBlock(controller, index, wait, status, messages)) {
            if (controller.CancelRequested()) {
                controller.ReadArrayMode();
                status.SetStatusText(kCancelledText);
            }
            return false;
        }
        status.ReportProgress(done + 1, total);
    }
    status.SetStatusText(skipped == 0 ? std::string("Erase Complete")
                                      : "Erase Complete (" + std::to_string(skipped) + " of " +
                                            std::to_string(total) + " blocks were already erased)");
    return true;
}

} // namespace

bool EraseFlashBlocks(const Session& session, std::span<const int32_t> blocks, StatusSink& status,
                      MessageSink& messages, const CancelToken& cancel, const FlashWait& wait) {
    return EraseBlocks(session, blocks, false, status, messages, cancel, wait);
}

bool EraseSelectedFlashBlocks(const Session& session, std::vector<int32_t> checked,
                              StatusSink& status, MessageSink& messages, const CancelToken& cancel,
                              const FlashWait& wait) {
    const int32_t count = BlockCount(session.memoryConfiguration);
    std::erase_if(checked, [count](int32_t index) { return index < 0 || index >= count; });
    std::sort(checked.begin(), checked.end());
    checked.erase(std::unique(checked.begin(), checked.end()), checked.end());
    if (checked.empty()) {
        messages.ShowMessage("No blocks are selected for erasing.", LoadResString(kStrErrorCaption),
                             MessageIcon::None, true);
        return false;
    }
    return EraseBlocks(session, checked, true, status, messages, cancel, wait);
}

} // namespace tessary
