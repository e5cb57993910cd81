#include "SerialDevice.h"

#include "FastAnnouncement.h"
#include "FramedAccess.h"

#include <iostream>

namespace tessary::lnkutil {

SerialDevice::SerialDevice(std::string name, SerialSettings settings)
    : name_(std::move(name)), path_(std::move(settings.path)) {
    line_.Initialize();
    line_.SetBaud(settings.baud);
    port_.Initialize(line_);
    port_.SetWindow(settings.window);
}

SerialDevice::~SerialDevice() {
    port_.Uninitialize();
}

bool SerialDevice::Open() {
    if (opens_ == 0) {
        if (!port_.OpenPath(path_.c_str())) {
            std::cerr << "lnkutil: " << name_ << ": " << line_.OpenFailureText() << "\n";
            return false;
        }
        // The library has no identity call of its own: the board's identity is read once per
        // opening, to learn whether it speaks the fast protocol. A board that does not answer is
        // spoken to with the basic frames.
        char identity[64] = {};
        (void)port_.GetIdentity(static_cast<int>(sizeof(identity)), identity);
    }
    ++opens_;
    return true;
}

void SerialDevice::Close() {
    if (opens_ > 0 && --opens_ == 0) {
        port_.Close();
    }
}

bool SerialDevice::PutReg(uint8_t address, uint8_t data) {
    return port_.PutReg(address, data);
}

bool SerialDevice::PutRegRepeat(uint8_t address, const uint8_t* data, size_t count) {
    return port_.WriteRepeat(static_cast<int32_t>(count), address, data, CancelToken::Never());
}

bool SerialDevice::PutRegSet(const uint8_t* addresses, const uint8_t* data, size_t count) {
    RegisterPair pairs[kMaxSetPairs];
    for (size_t i = 0; i < count; ++i) {
        pairs[i] = {addresses[i], data[i]};
    }
    return PutRegSetInFrames(port_, static_cast<int32_t>(count), pairs);
}

bool SerialDevice::GetReg(uint8_t address, uint8_t* data) {
    return port_.GetReg(address, *data);
}

bool SerialDevice::GetRegRepeat(uint8_t address, uint8_t* data, size_t count) {
    return port_.ReadRepeat(static_cast<int32_t>(count), address, data, CancelToken::Never());
}

bool SerialDevice::GetRegSet(const uint8_t* addresses, uint8_t* values, size_t count) {
    RegisterPair pairs[kMaxSetPairs];
    for (size_t i = 0; i < count; ++i) {
        pairs[i] = {addresses[i], 0};
    }
    if (!GetRegSetInFrames(port_, static_cast<int32_t>(count), pairs)) {
        return false;
    }
    for (size_t i = 0; i < count; ++i) {
        values[i] = pairs[i].data;
    }
    return true;
}

bool SerialDevice::Identity(std::string* text) {
    char identity[64] = {};
    if (!port_.GetIdentity(static_cast<int>(sizeof(identity)), identity)) {
        return false;
    }
    *text = identity;
    return true;
}

std::optional<uint32_t> SerialDevice::FlashSize() {
    std::string identity;
    if (!Identity(&identity)) {
        return std::nullopt;
    }
    const auto fast = protocol::ParseFastAnnouncement(identity);
    return fast ? fast->flashSize : std::nullopt;
}

bool SerialDevice::Checksum(uint8_t address, size_t count, uint32_t* crc) {
    return port_.Checksum(static_cast<int32_t>(count), address, *crc, CancelToken::Never());
}

std::unique_ptr<Device> CreateSerialDevice(const DeviceEntry& entry) {
    return std::make_unique<SerialDevice>(entry.name, SerialSettingsOf(entry));
}

} // namespace tessary::lnkutil
