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
    explicit RamTarget(int32_t configuration) : configuration_(configuration) {}

    const LoadPageTexts& Texts() const override { return kLoadRamTexts; }

    // Every range must end inside the RAM of the configuration's module: past it the board's
    // address wraps round and the file's tail would overwrite the start of RAM, while each
    // block's verify still passes.
    bool AcceptRanges(const std::vector<LoadRange>& ranges, MessageSink& messages) override {
        const auto past =
            std::find_if(ranges.begin(), ranges.end(), [this](const LoadRange& range) {
                return !ModuleRamFits(configuration_, static_cast<int32_t>(range.address),
                                      range.length);
            });
        if (past != ranges.end()) {
            messages.ShowMessage(
                ModuleRamMessage(configuration_, static_cast<int32_t>(past->address), past->length),
                kLoadRamTexts.caption, MessageIcon::None, true);
        }
        return past == ranges.end();
    }

    bool Prepare(MemoryController&, const LoadRequest&, LoadSource&, StatusSink&,
                 MessageSink&) override {
        return true;
    }

    bool Checksum(MemoryController& controller, uint32_t address, int32_t count,
                  uint32_t& crc) override {
        return controller.ChecksumRam(address, count, crc);
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

  private:
    int32_t configuration_;
};

} // namespace

LoadOutcome RunLoadRam(const Session& session, const LoadRequest& request, StatusSink& status,
                       MessageSink& messages, const CancelToken& cancel) {
    RamTarget target(session.memoryConfiguration);
    return RunLoad(session, request, target, status, messages, cancel);
}

bool LoadRamOperation(const Session& session, const LoadRequest& request, StatusSink& status,
                      MessageSink& messages, const CancelToken& cancel) {
    RamTarget target(session.memoryConfiguration);
    return RunPageLoad(session, request, target, status, messages, cancel);
}

} // namespace tessary
