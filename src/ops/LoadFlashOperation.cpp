#include "BlockMatch.h"
#include "BoardFlash.h"
#include "FlashGeometry.h"
#include "FlashKeep.h"
#include "FlashLimit.h"
#include "LoadEngine.h"
#include "LoadOperations.h"
#include "MemoryController.h"
#include "OperationSupport.h"
#include "Sinks.h"

#include <algorithm>
#include <iterator>
#include <string>

namespace tessary {
namespace {

constexpr LoadPageTexts kLoadFlashTexts{
    "Flash Load Error", "Flash Load complete. Total bytes transferred: ", "Flash Load error"};

// Block indexes (ascending) as the status texts count them, from 1, runs joined: "1-3, 7".
std::string BlockNumbers(const std::vector<int32_t>& indexes) {
    std::string text;
    for (std::size_t first = 0; first < indexes.size();) {
        std::size_t last = first;
        while (last + 1 < indexes.size() && indexes[last + 1] == indexes[last] + 1) {
            ++last;
        }
        text += (text.empty() ? "" : ", ") + std::to_string(indexes[first] + 1);
        if (last > first) {
            text += "-" + std::to_string(indexes[last] + 1);
        }
        first = last + 1;
    }
    return text;
}

class FlashTarget final : public LoadTarget {
  public:
    FlashTarget(int32_t configuration, const FlashWait& wait)
        : configuration_(configuration), wait_(wait) {}

    const LoadPageTexts& Texts() const override { return kLoadFlashTexts; }

    // The form checks a typed length; the rest of a file, and an image's runs, are known only
    // now. Nothing may be erased or programmed outside the Flash.
    bool AcceptRanges(const std::vector<LoadRange>& ranges, MessageSink& messages) override {
        const bool fit = std::all_of(ranges.begin(), ranges.end(), [this](const LoadRange& range) {
            return FlashRangeFits(configuration_, static_cast<int32_t>(range.address),
                                  range.length);
        });
        if (!fit) {
            messages.ShowMessage(FlashLimitMessage(configuration_), kLoadFlashTexts.caption,
                                 MessageIcon::None, true);
        }
        return fit;
    }

    // A board whose Flash is not the configuration's is refused first. Auto erase: exactly the
    // blocks that hold a byte of the ranges; with skipUnchanged, on a board that computes
    // checksums, less those that already hold what the load would leave in them ("Comparing
    // block: %d"), which are then not written either. With preservation the bytes of those blocks
    // that the ranges do not cover are read (twice, compared) before anything is erased (a failed
    // read erases nothing) and programmed back right after their block's erase. A cancel before a
    // block's erase leaves it as it is; once a block whose bytes are kept is being erased, the
    // cancel waits until the block is whole again. Progress counts saved, erased and restored
    // blocks.
    bool Prepare(MemoryController& controller, const LoadRequest& request, LoadSource& source,
                 StatusSink& status, MessageSink& messages) override {
        if (!BoardFlashMatches(controller, configuration_, kLoadFlashTexts.caption, messages)) {
            return false;
        }
        if (!request.autoErase) {
            return true;
        }
        const std::vector<LoadRange>& ranges = source.Ranges();
        std::vector<int32_t> blocks = TouchedBlocks(configuration_, ranges);
        if (request.skipUnchanged && controller.OffersChecksum() &&
            !LeaveMatchedBlocks(controller, request.preserve, source, blocks, status, messages)) {
            return false;
        }
        KeptBlocks kept(configuration_, ranges);
        std::vector<int32_t> saved;
        if (request.preserve) {
            std::copy_if(blocks.begin(), blocks.end(), std::back_inserter(saved),
                         [&kept](int32_t index) { return kept.PartlyCovered(index); });
        }
        const auto total = static_cast<int64_t>(2 * saved.size() + blocks.size());
        int64_t done = 0;
        for (const int32_t index : saved) {
            if (controller.CancelRequested() || !kept.Save(controller, index, status, messages)) {
                return false;
            }
            status.ReportProgress(++done, total);
        }
        for (const int32_t index : blocks) {
            if (controller.CancelRequested()) {
                return false;
            }
            const bool keeps = std::find(saved.begin(), saved.end(), index) != saved.end();
            controller.HoldCancel(keeps);
            const bool erased = EraseFlashBlock(controller, index, wait_, status, messages);
            if (erased) {
                erased_.push_back(index);
                status.ReportProgress(++done, total);
            }
            const bool whole = erased && (!keeps || kept.Restore(controller, index, request.verify,
                                                                 status, messages));
            controller.HoldCancel(false);
            if (!whole) {
                return false;
            }
            if (keeps) {
                restored_ = true;
                status.ReportProgress(++done, total);
            }
        }
        return true;
    }

    // When the cancel waited for kept bytes to be programmed back: the blocks erased, and that
    // their other bytes are back.
    std::string CancelNote() const override {
        if (!restored_) {
            return {};
        }
        return std::string(erased_.size() == 1 ? " Erased block: " : " Erased blocks: ") +
               BlockNumbers(erased_) + "; the bytes the load does not cover were programmed back.";
    }

    std::vector<LoadRange> Matched() const override { return matched_; }

    std::optional<MatchedBlocks> MatchedCount() const override { return count_; }

    bool WriteBlock(MemoryController& controller, uint32_t address, const uint8_t* data,
                    int32_t count) override {
        return controller.WriteFlash(address, data, count);
    }

    bool Checksum(MemoryController& controller, uint32_t address, int32_t count,
                  uint32_t& crc) override {
        return controller.ChecksumFlash(address, count, crc);
    }

    // Programming leaves the chip reporting status; it must read its array again. A broken link
    // shows in the read that follows.
    bool ReadBack(MemoryController& controller, uint32_t address, uint8_t* data,
                  int32_t count) override {
        controller.ReadArrayMode();
        return controller.ReadFlash(address, data, count);
    }

    bool WriteAndReadBack(MemoryController& controller, uint32_t address, const uint8_t* data,
                          uint8_t* readBack, int32_t count) override {
        return controller.WriteFlashReadBack(address, data, readBack, count);
    }

    void Stop(MemoryController& controller) override { controller.ReadArrayMode(); }

  private:
    // Takes the blocks that already hold what the load would leave in them out of `blocks`, and
    // notes them as matched. A failed exchange is reported.
    bool LeaveMatchedBlocks(MemoryController& controller, bool preserve, LoadSource& source,
                            std::vector<int32_t>& blocks, StatusSink& status,
                            MessageSink& messages) {
        count_ = MatchedBlocks{0, static_cast<int32_t>(blocks.size())};
        std::vector<int32_t> changed;
        for (const int32_t index : blocks) {
            if (controller.CancelRequested()) {
                return false;
            }
            status.SetStatusText(WithNumber("Comparing block: ", index + 1));
            bool matches = false;
            if (!BlockHoldsImage(controller, configuration_, index, source, preserve, matches)) {
                if (!controller.CancelRequested()) {
                    ReportTransferFailure(messages, controller, kLoadFlashTexts.errorStatus,
                                          kLoadFlashTexts.caption);
                }
                return false;
            }
            if (matches) {
                ++count_->matched;
                matched_.push_back(
                    {BlockAddress(configuration_, index), BlockSize(configuration_, index)});
            } else {
                changed.push_back(index);
            }
        }
        blocks = std::move(changed);
        return true;
    }

    int32_t configuration_;
    const FlashWait& wait_;
    std::vector<LoadRange> matched_;     // address spans of the matched blocks, ascending
    std::optional<MatchedBlocks> count_; // when the blocks were compared
    std::vector<int32_t> erased_;        // indexes, ascending
    bool restored_ = false;
};

} // namespace

LoadOutcome RunLoadFlash(const Session& session, const LoadRequest& request, StatusSink& status,
                         MessageSink& messages, const CancelToken& cancel, const FlashWait& wait) {
    FlashTarget target(session.memoryConfiguration, wait);
    return RunLoad(session, request, target, status, messages, cancel);
}

bool LoadFlashOperation(const Session& session, const LoadRequest& request, StatusSink& status,
                        MessageSink& messages, const CancelToken& cancel, const FlashWait& wait) {
    FlashTarget target(session.memoryConfiguration, wait);
    return RunPageLoad(session, request, target, status, messages, cancel);
}

} // namespace tessary
