#include "RegisterPort.h"

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

bool RegisterPort::IsOpen() {
    if ((flags_ & kFlagOpen) == 0) {
        return Fail(kErrPortNotOpen);
    }
    return true;
}

} // namespace tessary
