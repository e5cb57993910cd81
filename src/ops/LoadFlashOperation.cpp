#include "BoardFlash.h"
#include "FlashGeometry.h"
#include "FlashLimit.h"
#include "LoadEngine.h"
#include "LoadOperations.h"
#include "MemoryController.h"
#include "Sinks.h"

namespace tessary {
namespace {

constexpr LoadPageTexts kLoadFlashTexts{
    "Flash Load Error", "Flash Load complete. Total bytes transferred: ", "Flash Load error"};

class FlashTarget final : public LoadTarget {
  public:
    FlashTarget(int32_t configuration, const FlashWait& wait)
        : configuration_(configuration), wait_(wait) {}

    const LoadPageTexts& Texts() const override { return kLoadFlashTexts; }

    // The form checks a typed length; the rest of a file is known only now. Nothing may be erased
    // or programmed outside the Flash.
    bool AcceptRange(const LoadRequest& request, int32_t length, MessageSink& messages) override {
        if (FlashRangeFits(configuration_, request.startAddress, length)) {
            return true;
        }
        messages.ShowMessage(FlashLimitMessage(configuration_), kLoadFlashTexts.caption,
                             MessageIcon::None, true);
        return false;
    }

    // A board whose Flash is not the configuration's is refused first. Auto erase: exactly the
    // blocks that the first and the last byte of the range lie in, and those between.
    bool Prepare(MemoryController& controller, const LoadRequest& request, int32_t length,
                 StatusSink& status, MessageSink& messages) override {
        if (!BoardFlashMatches(controller, configuration_, kLoadFlashTexts.caption, messages)) {
            return false;
        }
        if (!request.autoErase || length <= 0) {
            return true;
        }
        const auto start = static_cast<uint32_t>(request.startAddress);
        const int32_t first = BlockContaining(configuration_, start);
        const int32_t last =
            BlockContaining(configuration_, start + static_cast<uint32_t>(length) - 1);
        for (int32_t index = first; index <= last; ++index) {
            if (!EraseFlashBlock(controller, index, wait_, status, messages)) {
                return false;
            }
            status.ReportProgress(index - first + 1, last - first + 1);
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
