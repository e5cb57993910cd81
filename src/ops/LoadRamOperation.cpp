#include "LoadEngine.h"
#include "LoadOperations.h"
#include "MemoryController.h"
#include "RamLimit.h"
#include "Sinks.h"

namespace tessary {
namespace {

constexpr LoadPageTexts kLoadRamTexts{
    "RAM Load Error", "RAM load complete. Total bytes transferred: ", "RAM load error"};

class RamTarget final : public LoadTarget {
  public:
    const LoadPageTexts& Texts() const override { return kLoadRamTexts; }

    // The range must end inside the 24-bit address space: past it the controller's address
    // wraps to 0 and the file's tail would overwrite the start of RAM.
    bool AcceptRange(const LoadRequest& request, int32_t length, MessageSink& messages) override {
        if (RamRangeFits(request.startAddress, length)) {
            return true;
        }
        messages.ShowMessage(RamLimitMessage(), kLoadRamTexts.caption, MessageIcon::None, true);
        return false;
    }

    bool Prepare(MemoryController&, const LoadRequest&, int32_t, StatusSink&,
                 MessageSink&) override {
        return true;
    }

    bool WriteBlock(MemoryController& controller, uint32_t address, const uint8_t* data,
                    int32_t count) override {
        return controller.WriteRam(address, data, count);
    }

    bool ReadBack(MemoryController& controller, uint32_t address, uint8_t* data,
                  int32_t count) override {
        return controller.ReadRam(address, data, count);
    }

    bool WriteAndReadBack(MemoryController& controller, uint32_t address, const uint8_t* data,
                          uint8_t* readBack, int32_t count) override {
        return controller.WriteRamReadBack(address, data, readBack, count);
    }
};

} // namespace

bool LoadRamOperation(const Session& session, const LoadRequest& request, StatusSink& status,
                      MessageSink& messages, const CancelToken& cancel) {
    RamTarget target;
    return RunLoad(session, request, target, status, messages, cancel);
}

} // namespace tessary
