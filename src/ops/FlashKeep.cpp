#include "FlashKeep.h"

#include "FlashGeometry.h"
#include "MemoryController.h"
#include "OperationSupport.h"
#include "Sinks.h"
#include "StringTable.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace tessary {
namespace {

constexpr const char* kCaption = "Flash Load Error";

uint64_t BlockEnd(int32_t configuration, int32_t index) {
    return index + 1 < BlockCount(configuration) ? BlockAddress(configuration, index + 1)
                                                 : FlashSize(configuration);
}

// "first difference at 0x012345: read 0x5A, then 0x5B".
std::string DescribeDifference(uint32_t address, const uint8_t* first, const uint8_t* second,
                               int32_t count) {
    const auto [a, b] = std::mismatch(first, first + count, second);
    char text[80];
    std::snprintf(text, sizeof(text), "first difference at 0x%06X: read 0x%02X, then 0x%02X",
                  address + static_cast<uint32_t>(a - first), *a, *b);
    return text;
}

bool AllErased(const uint8_t* data, std::size_t count) {
    return std::all_of(data, data + count, [](uint8_t byte) { return byte == 0xFF; });
}

} // namespace

std::vector<int32_t> TouchedBlocks(int32_t configuration, const std::vector<LoadRange>& ranges) {
    std::vector<int32_t> blocks;
    for (const LoadRange& range : ranges) {
        if (range.length <= 0) {
            continue;
        }
        const int32_t first = BlockContaining(configuration, range.address);
        const int32_t last =
            BlockContaining(configuration, range.address + static_cast<uint32_t>(range.length) - 1);
        for (int32_t index = first; index <= last; ++index) {
            blocks.push_back(index);
        }
    }
    std::sort(blocks.begin(), blocks.end());
    blocks.erase(std::unique(blocks.begin(), blocks.end()), blocks.end());
    return blocks;
}

std::vector<LoadRange> KeptBlocks::Uncovered(int32_t index) const {
    const uint64_t start = BlockAddress(configuration_, index);
    const uint64_t end = BlockEnd(configuration_, index);
    std::vector<LoadRange> runs;
    uint64_t at = start;
    for (const LoadRange& range : ranges_) { // ascending and apart
        const uint64_t from = std::max<uint64_t>(range.address, start);
        const uint64_t to = std::min<uint64_t>(range.address + range.length, end);
        if (range.length <= 0 || from >= to) {
            continue;
        }
        if (from > at) {
            runs.push_back({static_cast<uint32_t>(at), static_cast<int64_t>(from - at)});
        }
        at = std::max(at, to);
    }
    if (at < end) {
        runs.push_back({static_cast<uint32_t>(at), static_cast<int64_t>(end - at)});
    }
    return runs;
}

bool KeptBlocks::Save(MemoryController& controller, int32_t index, StatusSink& status,
                      MessageSink& messages) {
    status.SetStatusText(WithNumber("Saving block: ", index + 1));
    Kept kept{index, Uncovered(index), {}};
    std::vector<uint8_t> again(TransferBlockSize);
    controller.ReadArrayMode(); // a broken link shows in the read that follows
    for (const LoadRange& run : kept.runs) {
        std::vector<uint8_t>& bytes = kept.bytes.emplace_back(static_cast<std::size_t>(run.length));
        for (int64_t offset = 0; offset < run.length; offset += TransferBlockSize) {
            const auto count =
                static_cast<int32_t>(std::min<int64_t>(run.length - offset, TransferBlockSize));
            const uint32_t address = run.address + static_cast<uint32_t>(offset);
            uint8_t* first = bytes.data() + offset;
            if (controller.CancelRequested()) {
                return false;
            }
            if (!controller.ReadFlash(address, first, count) ||
                !controller.ReadFlash(address, again.data(), count)) {
                if (!controller.CancelRequested()) {
                    messages.ShowMessageWithCause(
                        "Unable to read Flash block " + std::to_string(index + 1) +
                            " to keep the bytes the load does not cover; nothing was erased.",
                        kCaption, MessageIcon::Error, true, controller.FailureText());
                }
                return false;
            }
            // A byte changed on the way would be programmed back wrong, and the restore's verify
            // compares with this very copy: two reads must agree before anything is erased.
            if (std::memcmp(first, again.data(), static_cast<std::size_t>(count)) != 0) {
                messages.ShowMessageWithCause(
                    "Flash block " + std::to_string(index + 1) +
                        " read back differently twice while keeping the bytes the load does not "
                        "cover; nothing was erased.",
                    kCaption, MessageIcon::Error, true,
                    DescribeDifference(address, first, again.data(), count));
                return false;
            }
        }
    }
    kept_.push_back(std::move(kept));
    return true;
}

bool KeptBlocks::Restore(MemoryController& controller, int32_t index, bool verify,
                         StatusSink& status, MessageSink& messages) {
    const auto kept = std::find_if(kept_.begin(), kept_.end(),
                                   [index](const Kept& block) { return block.index == index; });
    if (kept == kept_.end()) {
        return true;
    }
    status.SetStatusText(WithNumber("Restoring block: ", index + 1));
    std::vector<uint8_t> readBack(verify ? TransferBlockSize : 0);
    for (std::size_t run = 0; run < kept->runs.size(); ++run) {
        const LoadRange& range = kept->runs[run];
        for (int64_t offset = 0; offset < range.length; offset += TransferBlockSize) {
            const auto count =
                static_cast<int32_t>(std::min<int64_t>(range.length - offset, TransferBlockSize));
            const uint8_t* data = kept->bytes[run].data() + offset;
            const uint32_t address = range.address + static_cast<uint32_t>(offset);
            if (AllErased(data, static_cast<std::size_t>(count))) {
                continue;
            }
            if (!controller.WriteFlash(address, data, count)) {
                messages.ShowMessageWithCause("Flash block " + std::to_string(index + 1) +
                                                  " was erased, but the bytes the load does not "
                                                  "cover could not be programmed back.",
                                              kCaption, MessageIcon::Error, true,
                                              controller.FailureText());
                return false;
            }
            if (verify) {
                controller.ReadArrayMode();
                if (!controller.ReadFlash(address, readBack.data(), count)) {
                    ShowStringTableError(messages, kStrVerifyFailed, controller.FailureText());
                    return false;
                }
                if (std::memcmp(readBack.data(), data, static_cast<std::size_t>(count)) != 0) {
                    ShowStringTableError(messages, kStrVerifyFailed);
                    return false;
                }
            }
        }
    }
    return true;
}

} // namespace tessary
