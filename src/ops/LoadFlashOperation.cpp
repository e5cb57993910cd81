#include "BoardFlash.h"
#include "FlashGeometry.h"
#include "FlashKeep.h"
#include "FlashLimit.h"
#include "LoadEngine.h"
#include "LoadOperations.h"
#include "MemoryController.h"
#include "Sinks.h"

#include <algorithm>
#include <iterator>

namespace tessary {
namespace {

constexpr LoadPageTexts kLoadFlashTexts{
    "Flash Load Error", "Flash Load complete. Total bytes transferred: ", "Flash Load error"};

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
    // blocks that hold a byte of the ranges. With preservation the bytes of those blocks that the
    // ranges do not cover are read before anything is erased (a failed read erases nothing) and
    // programmed back right after their block's erase; a cancel waits until such a block is whole
    // again. Progress counts saved, erased and restored blocks.
    bool Prepare(MemoryController& controller, const LoadRequest& request,
                 const std::vector<LoadRange>& ranges, StatusSink& status,
                 MessageSink& messages) override {
        if (!BoardFlashMatches(controller, configuration_, kLoadFlashTexts.caption, messages)) {
            return false;
        }
        if (!request.autoErase) {
            return true;
        }
        const std::vector<int32_t> blocks = TouchedBlocks(configuration_, ranges);
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
            const bool keeps = std::find(saved.begin(), saved.end(), index) != saved.end();
            controller.HoldCancel(keeps);
            const bool erased = EraseFlashBlock(controller, index, wait_, status, messages);
            if (erased) {
                status.ReportProgress(++done, total);
            }
            const bool whole = erased && (!keeps || kept.Restore(controller, index, request.verify,
                                                                 status, messages));
            controller.HoldCancel(false);
            if (!whole) {
                return false;
            }
            if (keeps) {
                status.ReportProgress(++done, total);
            }
        }
        return true;
    }

    bool WriteBlock(MemoryController& controller, uint32_t address, const uint8_t* data,
                    int32_t count) override {
        return controller.WriteFlash(address, data, count);
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
    int32_t configuration_;
    const FlashWait& wait_;
};

} // namespace

bool LoadFlashOperation(const Session& session, const LoadRequest& request, StatusSink& status,
                        MessageSink& messages, const CancelToken& cancel, const FlashWait& wait) {
    FlashTarget target(session.memoryConfiguration, wait);
    return RunLoad(session, request, target, status, messages, cancel);
}

} // namespace tessary
