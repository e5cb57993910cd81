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

// The library's error codes (lnkutil_erc.h) in words.
struct LibraryError {
    LnkErc code;
    const char* words;
};
constexpr LibraryError kLibraryErrors[] = {
    {LNK_ERC_NOT_INITIALISED, "the library is not initialised"},
    {LNK_ERC_NULL_POINTER, "a null pointer was passed"},
    {LNK_ERC_BAD_COUNT, "a count outside what one call carries"},
    {LNK_ERC_UNKNOWN_HANDLE, "the device is not open"},
    {LNK_ERC_UNKNOWN_DEVICE, "no device of that name in the device table"},
    {LNK_ERC_OPEN_FAILED, "the device could not be opened"},
    {LNK_ERC_ACCESS_FAILED, "the board did not complete the register access"},
    {LNK_ERC_TOO_MANY_HANDLES, "every handle is in use"},
    {LNK_ERC_UNSUPPORTED,
     "this build cannot open devices of that kind, or the board lacks what was "
     "asked"},
};

const char* LibraryErrorWords(LnkErc code) {
    for (const LibraryError& error : kLibraryErrors) {
        if (error.code == code) {
            return error.words;
        }
    }
    return "an error the library does not name";
}

} // namespace

LibraryPort::~LibraryPort() {
    if ((flags_ & kFlagOpen) != 0) {
        Close();
    }
}

bool LibraryPort::Called(bool done, int32_t code) {
    if (done) {
        return true;
    }
    error_ = call_;
    return Fail(code);
}

std::string LibraryPort::FailureText() const {
    if (error_ == 0) {
        return {};
    }
    std::string text = "board '" + session_.deviceName + "': the device library's error " +
                       std::to_string(error_) + " (" + LibraryErrorWords(error_) + ")";
    char detail[256] = {};
    if (LnkGetAccessFailure(handle_, detail, sizeof(detail)) && detail[0] != '\0') {
        text += ": ";
        text += detail;
    }
    return text;
}

std::string LibraryPort::NoAnswerText() const {
    const std::string library = FailureText();
    return library.empty()
               ? "board '" + session_.deviceName + "' did not complete a register access"
               : library;
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
    openFailure_.clear();
    error_ = 0;
    if (!LnkOpenData(&handle_, session_.deviceName.c_str(), &call_, nullptr)) {
        char text[256];
        openFailure_ = LnkGetOpenFailure(text, sizeof(text)) ? text : "";
        return false;
    }
    flags_ |= kFlagOpen;
    repeatPiece_ = SerialRepeatPiece(session_.deviceName);
    uint32_t unused = 0;
    LnkErc asked = 0;
    offersChecksum_ = LnkBoardChecksum(handle_, 0, 0, &unused, &asked);
    return true;
}

bool LibraryPort::Close() {
    if (handle_ != 0) {
        LnkCloseData(handle_, &call_);
    }
    flags_ &= ~kFlagOpen;
    offersChecksum_ = false;
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
    if (!LnkGetIdentity(handle_, text, capacity, &call_) && capacity > 0) {
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

bool LibraryPort::Checksum(int32_t count, uint8_t address, uint32_t& crc,
                           const CancelToken& cancel) {
    (void)cancel;
    if (!IsOpen()) {
        return false;
    }
    if (!offersChecksum_) {
        return Fail(kErrNotSupported);
    }
    // A count of 0 would only ask whether the board offers it: it is no checksum.
    if (count <= 0) {
        call_ = LNK_ERC_BAD_COUNT;
        return Called(false, kErrReadIncomplete);
    }
    return Called(LnkBoardChecksum(handle_, address, count, &crc, &call_), kErrReadIncomplete);
}

bool LibraryPort::PutReg(uint8_t address, uint8_t data) {
    if (!IsOpen()) {
        return false;
    }
    return Called(LnkPutReg(handle_, address, data, &call_, nullptr), kErrWriteIncomplete);
}

bool LibraryPort::PutRegRepeat(int32_t count, uint8_t address, const uint8_t* data) {
    if (!IsOpen()) {
        return false;
    }
    return Called(LnkPutRegRepeat(handle_, address, data, count, &call_, nullptr),
                  kErrWriteIncomplete);
}

bool LibraryPort::PutRegSet(int32_t count, const RegisterPair* pairs) {
    if (!IsOpen()) {
        return false;
    }
    // The local arrays hold 68 pairs; a longer or negative set is refused before anything is
    // copied, so nothing is ever written past them.
    if (count < 0 || count > kMaxSetPairs) {
        call_ = LNK_ERC_BAD_COUNT;
        return Called(false, kErrWriteIncomplete);
    }
    uint8_t addresses[kMaxSetPairs];
    uint8_t values[kMaxSetPairs];
    for (int32_t i = 0; i < count; ++i) {
        addresses[i] = pairs[i].address;
        values[i] = pairs[i].data;
    }
    return Called(LnkPutRegSet(handle_, addresses, values, count, &call_, nullptr),
                  kErrWriteIncomplete);
}

bool LibraryPort::GetReg(uint8_t address, uint8_t& data) {
    data = 0x0A;
    if (!IsOpen()) {
        return false;
    }
    return Called(LnkGetReg(handle_, address, &data, &call_, nullptr), kErrReadIncomplete);
}

bool LibraryPort::GetRegRepeat(int32_t count, uint8_t address, uint8_t* data) {
    if (!IsOpen()) {
        return false;
    }
    return Called(LnkGetRegRepeat(handle_, address, data, count, &call_, nullptr),
                  kErrReadIncomplete);
}

bool LibraryPort::GetRegSet(int32_t count, RegisterPair* pairs) {
    if (!IsOpen()) {
        return false;
    }
    if (count < 0 || count > kMaxSetPairs) {
        call_ = LNK_ERC_BAD_COUNT;
        return Called(false, kErrReadIncomplete);
    }
    uint8_t addresses[kMaxSetPairs];
    uint8_t values[kMaxSetPairs];
    for (int32_t i = 0; i < count; ++i) {
        addresses[i] = pairs[i].address;
    }
    if (!Called(LnkGetRegSet(handle_, addresses, values, count, &call_, nullptr),
                kErrReadIncomplete)) {
        return false;
    }
    for (int32_t i = 0; i < count; ++i) {
        pairs[i].data = values[i];
    }
    return true;
}

} // namespace tessary
