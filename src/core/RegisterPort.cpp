#include "RegisterPort.h"

#include "Cancel.h"

#include <algorithm>
#include <cstring>

namespace tessary {

void RegisterPort::SetDeviceName(const char* text) {
    deviceName_[0] = '\0';
    if (text == nullptr) {
        return;
    }
    const size_t length = std::strlen(text);
    if (length < kDeviceNameSize) {
        std::memcpy(deviceName_, text, length + 1);
    }
}

bool RegisterPort::OpenPath(const char* path) {
    (void)path;
    return Open();
}

// In pieces the port moves in about a tenth of a second, the cancel looked at between them.
bool RegisterPort::WriteRepeat(int32_t count, uint8_t address, const uint8_t* data,
                               const CancelToken& cancel) {
    const int32_t piece = RepeatPiece();
    for (int32_t done = 0; done < count; done += piece) {
        if (done > 0 && cancel.Cancelled()) {
            return Fail(kErrCancelled);
        }
        if (!PutRegRepeat(std::min(piece, count - done), address, data + done)) {
            return false;
        }
    }
    return true;
}

bool RegisterPort::ReadRepeat(int32_t count, uint8_t address, uint8_t* data,
                              const CancelToken& cancel) {
    const int32_t piece = RepeatPiece();
    for (int32_t done = 0; done < count; done += piece) {
        if (done > 0 && cancel.Cancelled()) {
            return Fail(kErrCancelled);
        }
        if (!GetRegRepeat(std::min(piece, count - done), address, data + done)) {
            return false;
        }
    }
    return true;
}

bool RegisterPort::WriteList(int32_t count, const RegisterPair* pairs, const CancelToken& cancel) {
    (void)cancel;
    return PutRegSet(count, pairs);
}

bool RegisterPort::ReadList(int32_t count, RegisterPair* pairs, const CancelToken& cancel) {
    (void)cancel;
    return GetRegSet(count, pairs);
}

bool RegisterPort::WriteRepeatReadBack(int32_t count, uint8_t reg, const uint8_t* data,
                                       uint8_t* readBack, const RewindList& rewind,
                                       const CancelToken& cancel) {
    (void)count, (void)reg, (void)data, (void)readBack, (void)rewind, (void)cancel;
    return Fail(kErrNotSupported);
}

bool RegisterPort::Checksum(int32_t count, uint8_t address, uint32_t& crc,
                            const CancelToken& cancel) {
    (void)count, (void)address, (void)crc, (void)cancel;
    return Fail(kErrNotSupported);
}

bool RegisterPort::IsOpen() {
    if ((flags_ & kFlagOpen) == 0) {
        return Fail(kErrPortNotOpen);
    }
    return true;
}

} // namespace tessary
