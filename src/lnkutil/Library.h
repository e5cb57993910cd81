// The library's state behind the C interface: the device table, the powered devices, the open
// handles and the trace hook. One instance per process; every member locks.
#pragma once

#include "Device.h"
#include "DeviceTable.h"
#include "lnkutil_erc.h"
#include "lnkutil_sim.h"

#include <array>
#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace tessary::lnkutil {

class Library {
  public:
    static Library& Instance();

    // Reads the device table (again, when already initialised).
    LnkErc Init();
    // Closes every handle and powers every device down.
    void Term();
    // Reads the device table again, e.g. after it was edited; powered devices stay as they are.
    void ReloadTable();

    LnkErc DeviceCount(int32_t* count);
    LnkErc DeviceName(int32_t index, char* name);
    LnkErc DefaultDevice(int32_t* index);
    // The value of a setting of device `index`; LNK_ERC_NO_SETTING when it has none.
    LnkErc DeviceSetting(int32_t index, std::string_view key, std::string* value);
    LnkErc Open(const char* name, LnkHandle* handle);
    // Why the last failed Open failed, in words; empty after a successful one.
    std::string LastOpenFailure() const;
    LnkErc Close(LnkHandle handle);

    // Runs `call(Device&) -> bool` on the device behind the handle.
    template <class Call> LnkErc WithDevice(LnkHandle handle, Call&& call) {
        std::lock_guard lock(mutex_);
        Device* device = Lookup(handle);
        if (device == nullptr) {
            return initialised_ ? LNK_ERC_UNKNOWN_HANDLE : LNK_ERC_NOT_INITIALISED;
        }
        return call(*device) ? LNK_ERC_OK : LNK_ERC_ACCESS_FAILED;
    }

    board::SimBoard* SimBoardOf(const char* name);

    void SetTraceHook(LnkTraceHook hook);
    bool tracing() const { return tracing_.load(std::memory_order_relaxed); }
    void Trace(const LnkTraceEvent& event);

  private:
    static constexpr size_t kMaxHandles = 64;
    struct Slot {
        LnkHandle handle = 0;
        Device* device = nullptr;
    };

    void LoadTable();
    Device* Lookup(LnkHandle handle) {
        const size_t slot = (handle & 0xFF) - 1;
        return slot < kMaxHandles && handle != 0 && slots_[slot].handle == handle
                   ? slots_[slot].device
                   : nullptr;
    }
    Device* Power(const DeviceEntry& entry, LnkErc& erc);

    mutable std::mutex mutex_;
    bool initialised_ = false;
    DeviceTable table_;
    std::string dataDir_;
    std::optional<double> simTimeScale_;
    std::map<std::string, std::unique_ptr<Device>> powered_;
    std::array<Slot, kMaxHandles> slots_{};
    std::string lastOpenFailure_;
    uint32_t generation_ = 0;

    std::mutex hookMutex_;
    LnkTraceHook hook_;
    std::atomic<bool> tracing_{false};
};

} // namespace tessary::lnkutil
