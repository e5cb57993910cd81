#include "LoadEngine.h"
#include "LoadOperations.h"
#include "MemoryController.h"
#include "RamLimit.h"
#include "Sinks.h"

#include <algorithm>

namespace tessary {
namespace {

constexpr LoadPageTexts kLoadRamTexts{
    "RAM Load Error", "RAM load complete. Total bytes transferred: ", "RAM load error"};

class RamTarget final : public LoadTarget {
  public:
    const LoadPageTexts& Texts() const override { return kLoadRamTexts; }

    // Every range must end inside the 24-bit address space: past it the controller's address
    // wraps to 0 and the file's tail would overwrite the start of RAM.
    bool AcceptRanges(const std::vector<LoadRange>& ranges, MessageSink& messages) override {
        const bool fit = std::all_of(ranges.begin(), ranges.end(), [](const LoadRange& range) {
            return RamRangeFits(static_cast<int32_t>(range.address), range.length);
        });
        if (!fit) {
            messages.ShowMessage(RamLimitMessage(), kLoadRamTexts.caption, MessageIcon::None, true);
        }
        return fit;
    }

    bool Prepare(MemoryController&, const LoadRequest&, const std::vector<LoadRange>&, StatusSink&,
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
