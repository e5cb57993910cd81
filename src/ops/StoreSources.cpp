#include "BoardFlash.h"
#include "FlashLimit.h"
#include "MemoryController.h"
#include "RamLimit.h"
#include "Sinks.h"
#include "StoreOperations.h"

namespace tessary {
namespace {

class RamSource final : public StoreSource {
  public:
    const StorePageTexts& Texts() const override { return kStoreRamTexts; }
    bool Flash() const override { return false; }

    void Prepare(MemoryController&, uint32_t) override {}

    bool ReadBlock(MemoryController& controller, uint32_t address, uint8_t* data,
                   int32_t count) override {
        return controller.ReadRam(address, data, count);
    }
};

class FlashSource final : public StoreSource {
  public:
    explicit FlashSource(int32_t configuration) : configuration_(configuration) {}

    const StorePageTexts& Texts() const override { return kStoreFlashTexts; }
    bool Flash() const override { return true; }

    // Past the end of a smaller chip the addresses wrap: the file would hold the chip twice.
    bool FitsBoard(const MemoryController& controller, MessageSink& messages) const override {
        return BoardFlashMatches(controller, configuration_, kStoreFlashTexts.caption, messages);
    }

    // An erase or programming may have left the chip reporting status: back to reading its
    // array. A broken link shows in the first block read, so the results are not examined here.
    void Prepare(MemoryController& controller, uint32_t startAddress) override {
        controller.ReadArrayMode();
        controller.SetAddress(startAddress);
        uint8_t status = 0;
        controller.ReadFlashStatus(status);
    }

    bool ReadBlock(MemoryController& controller, uint32_t address, uint8_t* data,
                   int32_t count) override {
        return controller.ReadFlash(address, data, count);
    }

  private:
    int32_t configuration_;
};

} // namespace

bool AcceptStoreRange(const StoreRequest& request, bool flash, int32_t configuration,
                      MessageSink& messages) {
    const bool fits = flash ? FlashRangeFits(configuration, request.startAddress, request.length)
                            : ModuleRamFits(configuration, request.startAddress, request.length);
    if (!fits) {
        messages.ShowMessage(
            flash ? FlashLimitMessage(configuration)
                  : ModuleRamMessage(configuration, request.startAddress, request.length),
            (flash ? kStoreFlashTexts : kStoreRamTexts).caption, MessageIcon::None, true);
    }
    return fits;
}

bool StoreRamToFile(const Session& session, const StoreRequest& request, StatusSink& status,
                    MessageSink& messages, const CancelToken& cancel) {
    RamSource source;
    return StoreToFile(session, request, source, status, messages, cancel);
}

bool StoreFlashToFile(const Session& session, const StoreRequest& request, StatusSink& status,
                      MessageSink& messages, const CancelToken& cancel) {
    FlashSource source(session.memoryConfiguration);
    return StoreToFile(session, request, source, status, messages, cancel);
}

} // namespace tessary
