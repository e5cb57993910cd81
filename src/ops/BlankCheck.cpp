#include "BlankCheck.h"

#include "Connection.h"
#include "ErasedByChecksum.h"
#include "FlashGeometry.h"
#include "MemoryController.h"
#include "OperationSupport.h"
#include "Sinks.h"
#include "StringTable.h"

#include <algorithm>
#include <vector>

namespace tessary {

bool BlockIsErased(MemoryController& controller, int32_t configuration, int32_t index,
                   bool& erased) {
    const uint32_t start = BlockAddress(configuration, index);
    const uint32_t end = index + 1 < BlockCount(configuration)
                             ? BlockAddress(configuration, index + 1)
                             : FlashSize(configuration);
    // The board's checksum of an erased block clears it in one exchange; any other block is read
    // back, as without a checksum, to stop at its first byte that is not 0xFF.
    if (controller.OffersChecksum()) {
        if (!ChecksumShowsErased(controller, start, end - start, erased)) {
            return false;
        }
        if (erased) {
            return true;
        }
    }
    std::vector<uint8_t> block(TransferBlockSize);
    for (uint32_t address = start; address < end; address += TransferBlockSize) {
        const auto count =
            static_cast<int32_t>(std::min<uint32_t>(end - address, TransferBlockSize));
        if (!controller.ReadFlash(address, block.data(), count)) {
            return false;
        }
        if (!std::all_of(block.begin(), block.begin() + count,
                         [](uint8_t byte) { return byte == 0xFF; })) {
            erased = false;
            return true;
        }
    }
    erased = true;
    return true;
}

bool BlankCheckFlash(const Session& session, std::span<const int32_t> blocks,
                     std::vector<BlockBlankness>& results, StatusSink& status,
                     MessageSink& messages, const CancelToken& cancel) {
    ProgressScope progress(status);
    results.clear();
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
    controller.ReadArrayMode(); // a broken link shows in the first read
    int64_t erased = 0;
    for (const int32_t index : blocks) {
        if (controller.CancelRequested()) {
            status.SetStatusText(kCancelledText);
            return false;
        }
        status.SetStatusText(WithNumber("Checking block: ", index + 1));
        bool blank = false;
        if (!BlockIsErased(controller, session.memoryConfiguration, index, blank)) {
            if (controller.CancelRequested()) {
                status.SetStatusText(kCancelledText);
            } else {
                ShowStringTableError(messages, kStrControllerError, controller.FailureText());
            }
            return false;
        }
        results.push_back({index, blank});
        erased += blank ? 1 : 0;
        status.ReportProgress(static_cast<int64_t>(results.size()),
                              static_cast<int64_t>(blocks.size()));
    }
    status.SetStatusText("Blank check complete: " + std::to_string(erased) + " of " +
                         std::to_string(blocks.size()) + " blocks erased");
    return true;
}

} // namespace tessary
