#include "Library.h"

#include "DeviceFactory.h"
#include "LibraryPaths.h"
#include "SimDevice.h"
#include "SimOptions.h"

#include <cstring>
#include <filesystem>
#include <iostream>

namespace tessary::lnkutil {

Library& Library::Instance() {
    static Library library;
    return library;
}

void Library::LoadTable() {
    const std::string path = DeviceTablePath();
    table_ = DeviceTable::BuiltIn();
    if (path.empty()) {
        return;
    }
    if (table_.Load(path, std::cerr)) {
        return;
    }
    // A missing file at the usual place is no table yet; one the user named is a mistake.
    if (std::filesystem::exists(path)) {
        std::cerr << "lnkutil: " << path << ": cannot be read; using the built-in devices\n";
    } else if (DeviceTableNamedByUser()) {
        std::cerr << "lnkutil: warning: LNKUTIL_DEVICES names " << path
                  << ", which does not exist; using the built-in devices\n";
    }
}

LnkErc Library::Init() {
    std::lock_guard lock(mutex_);
    LoadTable();
    dataDir_ = DataDirectory();
    simTimeScale_ = SimTimeScaleOfEnvironment(std::cerr);
    initialised_ = true;
    return LNK_ERC_OK;
}

void Library::ReloadTable() {
    std::lock_guard lock(mutex_);
    LoadTable();
}

void Library::Term() {
    std::lock_guard lock(mutex_);
    for (Slot& slot : slots_) {
        if (slot.device != nullptr) {
            slot.device->Close();
        }
        slot = Slot{};
    }
    powered_.clear();
    table_ = DeviceTable{};
    initialised_ = false;
}

LnkErc Library::DeviceCount(int32_t* count) {
    std::lock_guard lock(mutex_);
    *count = static_cast<int32_t>(table_.size());
    return initialised_ ? LNK_ERC_OK : LNK_ERC_NOT_INITIALISED;
}

LnkErc Library::DeviceName(int32_t index, char* name) {
    std::lock_guard lock(mutex_);
    if (!initialised_) {
        return LNK_ERC_NOT_INITIALISED;
    }
    if (index < 0 || static_cast<size_t>(index) >= table_.size()) {
        return LNK_ERC_BAD_INDEX;
    }
    const std::string& text = table_.entries()[static_cast<size_t>(index)].name;
    std::memcpy(name, text.c_str(), text.size() + 1); // at most 19 characters and the NUL
    return LNK_ERC_OK;
}

LnkErc Library::DefaultDevice(int32_t* index) {
    std::lock_guard lock(mutex_);
    *index = table_.DefaultIndex();
    return initialised_ ? LNK_ERC_OK : LNK_ERC_NOT_INITIALISED;
}

LnkErc Library::DeviceSetting(int32_t index, std::string_view key, std::string* value) {
    std::lock_guard lock(mutex_);
    if (!initialised_) {
        return LNK_ERC_NOT_INITIALISED;
    }
    if (index < 0 || static_cast<size_t>(index) >= table_.size()) {
        return LNK_ERC_BAD_INDEX;
    }
    const DeviceEntry& entry = table_.entries()[static_cast<size_t>(index)];
    if (key == "kind") {
        *value = DeviceKindName(entry.kind);
        return LNK_ERC_OK;
    }
    const auto setting = entry.Option(key);
    if (!setting) {
        return LNK_ERC_NO_SETTING;
    }
    *value = *setting;
    return LNK_ERC_OK;
}

Device* Library::Power(const DeviceEntry& entry, LnkErc& erc) {
    auto found = powered_.find(entry.name);
    if (found != powered_.end()) {
        return found->second.get();
    }
    auto device = CreateDevice(entry, dataDir_, simTimeScale_, erc);
    if (!device) {
        return nullptr;
    }
    return powered_.emplace(entry.name, std::move(device)).first->second.get();
}

std::string Library::LastOpenFailure() const {
    std::lock_guard lock(mutex_);
    return lastOpenFailure_;
}

LnkErc Library::Open(const char* name, LnkHandle* handle) {
    std::lock_guard lock(mutex_);
    *handle = 0;
    lastOpenFailure_.clear();
    if (!initialised_) {
        return LNK_ERC_NOT_INITIALISED;
    }
    const int index = table_.Find(name);
    if (index < 0) {
        lastOpenFailure_ = "no device named '" + std::string(name) + "' in the device table";
        return LNK_ERC_UNKNOWN_DEVICE;
    }
    size_t slot = 0;
    while (slot < kMaxHandles && slots_[slot].device != nullptr) {
        ++slot;
    }
    if (slot == kMaxHandles) {
        return LNK_ERC_TOO_MANY_HANDLES;
    }
    LnkErc erc = LNK_ERC_OK;
    Device* device = Power(table_.entries()[static_cast<size_t>(index)], erc);
    if (device == nullptr) {
        return erc;
    }
    if (!device->Open()) {
        lastOpenFailure_ = device->OpenFailureText();
        return LNK_ERC_OPEN_FAILED;
    }
    generation_ = (generation_ + 1) & 0xFFFFFF;
    slots_[slot] = Slot{(generation_ << 8) | static_cast<LnkHandle>(slot + 1), device};
    *handle = slots_[slot].handle;
    return LNK_ERC_OK;
}

LnkErc Library::Close(LnkHandle handle) {
    std::lock_guard lock(mutex_);
    Device* device = Lookup(handle);
    if (device == nullptr) {
        return initialised_ ? LNK_ERC_UNKNOWN_HANDLE : LNK_ERC_NOT_INITIALISED;
    }
    device->Close();
    slots_[(handle & 0xFF) - 1] = Slot{};
    return LNK_ERC_OK;
}

board::SimBoard* Library::SimBoardOf(const char* name) {
    std::lock_guard lock(mutex_);
    const int index = initialised_ && name != nullptr ? table_.Find(name) : -1;
    if (index < 0 || table_.entries()[static_cast<size_t>(index)].kind != DeviceKind::Sim) {
        return nullptr;
    }
    LnkErc erc = LNK_ERC_OK;
    auto* sim = dynamic_cast<SimDevice*>(Power(table_.entries()[static_cast<size_t>(index)], erc));
    return sim != nullptr ? sim->Board() : nullptr;
}

void Library::SetTraceHook(LnkTraceHook hook) {
    std::lock_guard lock(hookMutex_);
    hook_ = std::move(hook);
    tracing_.store(static_cast<bool>(hook_), std::memory_order_relaxed);
}

void Library::Trace(const LnkTraceEvent& event) {
    LnkTraceHook hook;
    {
        std::lock_guard lock(hookMutex_);
        hook = hook_;
    }
    if (hook) {
        hook(event);
    }
}

} // namespace tessary::lnkutil
