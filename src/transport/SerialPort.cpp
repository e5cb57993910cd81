#include "SerialPort.h"

#include "FrameCodec.h"
#include "ReplyDecode.h"
#include "SerialLine.h"
#include "SerialProtocol.h"

#include <cstring>

namespace tessary {

using namespace protocol;

namespace {

bool Fits(int32_t count, int32_t limit) {
    return count >= 0 && count <= limit;
}

} // namespace

bool SerialPort::Initialize(SerialLine& line) {
    line_ = &line;
    flags_ |= kFlagInitialised;
    return true;
}

void SerialPort::Uninitialize() {
    flags_ &= ~kFlagInitialised;
    line_ = nullptr;
}

bool SerialPort::LineFailed() {
    return Fail(line_->ErrorCode());
}

bool SerialPort::Open() {
    return OpenPath(deviceName_);
}

bool SerialPort::OpenPath(const char* path) {
    if (line_ == nullptr) {
        return Fail(kErrLineNotInitialised);
    }
    if (!line_->Open(path)) {
        return LineFailed();
    }
    flags_ |= kFlagOpen;
    return true;
}

bool SerialPort::Close() {
    if (line_ == nullptr) {
        return Fail(kErrLineNotInitialised);
    }
    if (!line_->Close()) {
        return LineFailed();
    }
    flags_ &= ~kFlagOpen;
    return true;
}

bool SerialPort::Exchange(uint8_t* buffer, int requestLength, uint8_t expected, int& replyLength) {
    if (line_ == nullptr) {
        return Fail(kErrLineNotInitialised);
    }
    if (!line_->SendFrame(requestLength, buffer)) {
        return LineFailed();
    }
    if (!line_->ReceiveFrame(frame::kReplyCapacity, replyLength, buffer)) {
        return LineFailed();
    }
    return Taken(reply::CheckCode(buffer, replyLength, expected));
}

bool SerialPort::Taken(int32_t refused) {
    return refused == 0 || Fail(refused);
}

bool SerialPort::Probe(bool& present) {
    present = false;
    if (!IsOpen()) {
        return false;
    }
    uint8_t buffer[frame::kBufferSize] = {kCmdProbe};
    int length = 0;
    if (!Exchange(buffer, 1, kReplyDone, length)) {
        return false;
    }
    present = true;
    return true;
}

bool SerialPort::GetIdentity(int capacity, char* text) {
    if (!IsOpen()) {
        return false;
    }
    uint8_t buffer[frame::kBufferSize] = {kCmdGetIdentity};
    int length = 0;
    if (!Exchange(buffer, 1, kReplyIdentity, length)) {
        return false;
    }
    return Taken(reply::TakeIdentity(buffer, length, capacity, text));
}

bool SerialPort::PutReg(uint8_t address, uint8_t data) {
    if (!IsOpen()) {
        return false;
    }
    uint8_t buffer[frame::kBufferSize] = {kCmdPutReg, address, data};
    int length = 0;
    return Exchange(buffer, 3, kReplyDone, length);
}

bool SerialPort::PutRegRepeat(int32_t count, uint8_t address, const uint8_t* data) {
    if (!IsOpen()) {
        return false;
    }
    if (!Fits(count, kMaxRepeatWrite)) {
        return Fail(kErrFrameTooLong);
    }
    // The register travels with the data: the board writes RAM and Flash through different ones.
    uint8_t buffer[frame::kBufferSize] = {kCmdPutRegRepeat, address};
    std::memcpy(buffer + 2, data, static_cast<size_t>(count));
    int length = 0;
    return Exchange(buffer, count + 2, kReplyDone, length);
}

bool SerialPort::PutRegSet(int32_t count, const RegisterPair* pairs) {
    if (!IsOpen()) {
        return false;
    }
    if (!Fits(count, kMaxSetPairs)) {
        return Fail(kErrFrameTooLong);
    }
    uint8_t buffer[frame::kBufferSize] = {kCmdPutRegSet};
    std::memcpy(buffer + 1, pairs, sizeof(RegisterPair) * static_cast<size_t>(count));
    int length = 0;
    return Exchange(buffer, 2 * count + 1, kReplyDone, length);
}

bool SerialPort::GetReg(uint8_t address, uint8_t& data) {
    if (!IsOpen()) {
        return false;
    }
    uint8_t buffer[frame::kBufferSize] = {kCmdGetReg, address};
    int length = 0;
    if (!Exchange(buffer, 2, kReplyRegister, length)) {
        return false;
    }
    return Taken(reply::TakeRegister(buffer, length, data));
}

bool SerialPort::GetRegRepeat(int32_t count, uint8_t address, uint8_t* data) {
    if (!IsOpen()) {
        return false;
    }
    if (!Fits(count, kMaxRepeatRead)) {
        return Fail(kErrFrameTooLong);
    }
    // The count filler bytes after the register are zeros (the buffer starts zeroed).
    uint8_t buffer[frame::kBufferSize] = {kCmdGetRegRepeat, static_cast<uint8_t>(count), address};
    int length = 0;
    if (!Exchange(buffer, count + 3, kReplyRepeatValues, length)) {
        return false;
    }
    return Taken(reply::TakeRepeatValues(buffer, length, count, data));
}

bool SerialPort::GetRegSet(int32_t count, RegisterPair* pairs) {
    if (!IsOpen()) {
        return false;
    }
    // The reply carries two bytes per pair, so a list longer than kMaxSetPairs could never be
    // answered within a frame; it is refused before the board reads (and advances) anything.
    if (!Fits(count, kMaxSetPairs)) {
        return Fail(kErrFrameTooLong);
    }
    uint8_t buffer[frame::kBufferSize] = {kCmdGetRegSet};
    for (int32_t i = 0; i < count; ++i) {
        buffer[1 + i] = pairs[i].address;
    }
    int length = 0;
    if (!Exchange(buffer, count + 1, kReplySetValues, length)) {
        return false;
    }
    return Taken(reply::TakeSetPairs(buffer, length, count, pairs));
}

} // namespace tessary
