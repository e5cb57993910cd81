#include "LibraryPort.h"

#include "DefaultBaud.h"
#include "lnkutil_erc.h"
#include "lnkutil_ext.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>

namespace tessary {
namespace {

std::optional<std::string> DeviceSetting(const std::string& device, const char* key) {
    LnkErc error = 0;
    const int32_t count = ZmgrGetDevCount(&error);
    for (int32_t index = 0; index < count; ++index) {
        char name[20] = {};
        char value[64] = {};
        if (ZmgrGetDevName(index, name, &error) && device == name) {
            return ZmgrGetDevSetting(index, key, value, sizeof(value), &error)
                       ? std::optional<std::string>(value)
                       : std::nullopt;
        }
    }
    return std::nullopt;
}

// A tenth of a second of a serial line at its rate (ten bits a byte), from 256 bytes on.
int32_t SerialRepeatPiece(const std::string& device) {
    if (DeviceSetting(device, "kind") != "serial") {
        return INT32_MAX;
    }
    uint32_t baud = kDefaultBaud; // the library's rate when the table names none
    if (const auto rate = DeviceSetting(device, "baud")) {
        const unsigned long value = std::strtoul(rate->c_str(), nullptr, 10);
        baud = value > 0 && value < UINT32_MAX ? static_cast<uint32_t>(value) : baud;
    }
    return std::max<int32_t>(256, static_cast<int32_t>(baud / 100));
}

// The meaning of each of the library's error codes (lnkutil_erc.h).
const char* DescribeLibraryError(LnkErc error) {
    switch (error) {
    case LNK_ERC_NOT_INITIALISED:
        return "the library is not initialised";
    case LNK_ERC_NULL_POINTER:
        return "a null pointer was passed";
    case LNK_ERC_BAD_COUNT:
        return "a count outside what one call carries";
    case LNK_ERC_UNKNOWN_HANDLE:
        return "the device is not open";
    case LNK_ERC_UNKNOWN_DEVICE:
        return "no device of that name in the device table";
    case LNK_ERC_OPEN_FAILED:
        return "the device could not be opened";
    case LNK_ERC_ACCESS_FAILED:
        return "the board did not complete the register access";
    case LNK_ERC_TOO_MANY_HANDLES:
        return "every handle is in use";
    case LNK_ERC_UNSUPPORTED:
        return "this build cannot open devices of that kind";
    default:
        return "an error the library does not name";
    }
}

} // namespace

bool LibraryPort::FailCall(int32_t code, LnkErc error) {
    libraryError_ = error;
    return Fail(code);
}

std::string LibraryPort::FailureText() const {
    if (libraryError_ == 0) {
        return {};
    }
    std::string text = "board '" + session_.deviceName + "': the device library's error " +
                       std::to_string(libraryError_) + " (" + DescribeLibraryError(libraryError_) +
                       ")";
    char detail[256] = {};
    if (LnkGetAccessFailure(handle_, detail, sizeof(detail)) && detail[0] != '\0') {
        text += ": ";
        text += detail;
    }
    return text;
}

bool LibraryPort::Initialize() {
    flags_ |= kFlagInitialised;
    handle_ = 0;
    return true;
}

void LibraryPort::Uninitialize() {
    flags_ &= ~kFlagInitialised;
}

bool LibraryPort::Open() {
    LnkErc error = 0;
    openFailure_.clear();
    libraryError_ = 0;
    if (!LnkOpenData(&handle_, session_.deviceName.c_str(), &error, nullptr)) {
        char text[256];
        openFailure_ = LnkGetOpenFailure(text, sizeof(text)) ? text : "";
        return false;
    }
    flags_ |= kFlagOpen;
    repeatPiece_ = SerialRepeatPiece(session_.deviceName);
    return true;
}

bool LibraryPort::Close() {
    if (handle_ != 0) {
        LnkErc error = 0;
        LnkCloseData(handle_, &error);
    }
    flags_ &= ~kFlagOpen;
    return true;
}

bool LibraryPort::Probe(bool& present) {
    present = true;
    return true;
}

bool LibraryPort::GetIdentity(int capacity, char* text) {
    if (!IsOpen()) {
        return false;
    }
    // The library's boards need not identify themselves: one that does not (a serial board that
    // gives no identity) is the empty text, as a serial board without one is.
    LnkErc error = 0;
    if (!LnkGetIdentity(handle_, text, capacity, &error) && capacity > 0) {
        text[0] = '\0';
    }
    return true;
}

std::optional<uint32_t> LibraryPort::FlashSize() const {
    uint32_t bytes = 0;
    LnkErc error = 0;
    if (handle_ == 0 || !LnkGetFlashSize(handle_, &bytes, &error)) {
        return std::nullopt;
    }
    return bytes;
}

bool LibraryPort::PutReg(uint8_t address, uint8_t data) {
    if (!IsOpen()) {
        return false;
    }
    LnkErc error = 0;
    if (!LnkPutReg(handle_, address, data, &error, nullptr)) {
        return FailCall(kErrWriteIncomplete, error);
    }
    return true;
}

bool LibraryPort::PutRegRepeat(int32_t count, uint8_t address, const uint8_t* data) {
    if (!IsOpen()) {
        return false;
    }
    LnkErc error = 0;
    if (!LnkPutRegRepeat(handle_, address, data, count, &error, nullptr)) {
        return FailCall(kErrWriteIncomplete, error);
    }
    return true;
}

bool LibraryPort::PutRegSet(int32_t count, const RegisterPair* pairs) {
    if (!IsOpen()) {
        return false;
    }
    // The local arrays hold 68 pairs; a longer or negative set is refused before anything is
    // copied, so nothing is ever written past them.
    if (count < 0 || count > kMaxSetPairs) {
        return FailCall(kErrWriteIncomplete, LNK_ERC_BAD_COUNT);
    }
    uint8_t addresses[kMaxSetPairs];
    uint8_t values[kMaxSetPairs];
    for (int32_t i = 0; i < count; ++i) {
        addresses[i] = pairs[i].address;
        values[i] = pairs[i].data;
    }
    LnkErc error = 0;
    if (!LnkPutRegSet(handle_, addresses, values, count, &error, nullptr)) {
        return FailCall(kErrWriteIncomplete, error);
    }
    return true;
}

bool LibraryPort::GetReg(uint8_t address, uint8_t& data) {
    data = 0x0A;
    if (!IsOpen()) {
        return false;
    }
    LnkErc error = 0;
    if (!LnkGetReg(handle_, address, &data, &error, nullptr)) {
        return FailCall(kErrReadIncomplete, error);
    }
    return true;
}

bool LibraryPort::GetRegRepeat(int32_t count, uint8_t address, uint8_t* data) {
    if (!IsOpen()) {
        return false;
    }
    LnkErc error = 0;
    if (!LnkGetRegRepeat(handle_, address, data, count, &error, nullptr)) {
        return FailCall(kErrReadIncomplete, error);
    }
    return true;
}

bool LibraryPort::GetRegSet(int32_t count, RegisterPair* pairs) {
    if (!IsOpen()) {
        return false;
    }
    if (count < 0 || count > kMaxSetPairs) {
        return FailCall(kErrReadIncomplete, LNK_ERC_BAD_COUNT);
    }
    uint8_t addresses[kMaxSetPairs];
    uint8_t values[kMaxSetPairs];
    for (int32_t i = 0; i < count; ++i) {
        addresses[i] = pairs[i].address;
    }
    LnkErc error = 0;
    if (!LnkGetRegSet(handle_, addresses, values, count, &error, nullptr)) {
        return FailCall(kErrReadIncomplete, error);
    }
    for (int32_t i = 0; i < count; ++i) {
        pairs[i].data = values[i];
    }
    return true;
}

} // namespace tessary
