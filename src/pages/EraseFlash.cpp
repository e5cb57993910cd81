#include "EraseFlash.h"

#include "FlashGeometry.h"
#include "MemoryController.h"
#include "OperationSupport.h"
#include "StringTable.h"
#include "UiSinks.h"

#include <algorithm>

namespace tessary {

std::vector<int32_t> AllFlashBlocks() {
    std::vector<int32_t> blocks(static_cast<std::size_t>(BlockCount()));
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        blocks[i] = static_cast<int32_t>(i);
    }
    return blocks;
}

bool EraseFlashBlocks(std::span<const int32_t> blocks, StatusSink& status, MessageSink& messages,
                      const FlashWait& wait) {
    ProgressScope progress(status);
    MemoryController controller;
    ControllerTeardown teardown(controller);
    if (!controller.CreatePort(&messages)) {
        ShowStringTableError(messages, kStrOutOfMemory);
        return false;
    }
    status.SetStatusText("Connecting");
    if (!controller.Connect(CurrentDeviceName())) {
        ShowStringTableError(messages, kStrFlashError);
        return false;
    }
    const auto total = static_cast<int64_t>(blocks.size());
    for (int64_t done = 0; done < total; ++done) {
        if (!EraseFlashBlock(controller, blocks[static_cast<std::size_t>(done)], wait, status,
                             messages)) {
            return false;
        }
        status.ReportProgress(done + 1, total);
    }
    status.SetStatusText("Erase Complete");
    return true;
}

bool EraseSelectedFlashBlocks(std::vector<int32_t> checked, StatusSink& status,
                              MessageSink& messages, const FlashWait& wait) {
    const int32_t count = BlockCount();
    std::erase_if(checked, [count](int32_t index) { return index < 0 || index >= count; });
    std::sort(checked.begin(), checked.end());
    checked.erase(std::unique(checked.begin(), checked.end()), checked.end());
    if (checked.empty()) {
        messages.ShowMessage("No blocks are selected for erasing.", LoadResString(kStrErrorCaption),
                             MessageIcon::None, true);
        return false;
    }
    return EraseFlashBlocks(checked, status, messages, wait);
}

} // namespace tessary
