#include "MemoryController.h"

#include "Cancel.h"
#include "ControllerRegisters.h"
#include "FlashCommands.h"
#include "FlashGeometry.h"

namespace tessary {

MemoryController::MemoryController(const Session& session, RegisterPort& port)
    : MemoryController(session, port, CancelToken::Never()) {}

MemoryController::MemoryController(const Session& session, RegisterPort& port,
                                   const CancelToken& cancel)
    : session_(session), port_(port), cancel_(cancel) {}

uint8_t MemoryController::Reg(uint8_t offset) const {
    return static_cast<uint8_t>(session_.registerBase + offset);
}

const CancelToken& MemoryController::Token() const {
    return cancelHeld_ ? CancelToken::Never() : cancel_;
}

bool MemoryController::CancelRequested() const {
    return Token().Cancelled();
}

void MemoryController::Begin(Doing doing, uint32_t address, int32_t count) {
    exchange_ = {doing, address, count};
}

bool MemoryController::FailFromPort() {
    errorCode_ = CancelRequested() ? kErrCancelled : port_.ErrorCode();
    return false;
}

bool MemoryController::Connect(const char* deviceName) {
    Begin(Doing::Nothing);
    identity_[0] = '\0';
    port_.SetDeviceName(deviceName);
    // A line's name may be longer than the device-name field holds (a network line, a
    // /dev/serial/by-id/ name): it is opened as given.
    if (!port_.OpenPath(deviceName)) {
        connected_ = false;
        return false;
    }
    connected_ = true;
    bool present = false;
    bool ok = port_.Probe(present) && present;
    if (ok) {
        ok = port_.GetIdentity(static_cast<int>(sizeof(identity_)), identity_);
    }
    if (ok) {
        ok = port_.PutReg(Reg(kRegControl), kControlIdle);
    }
    if (!ok) {
        errorCode_ = port_.ErrorCode();
    }
    return ok;
}

std::optional<uint32_t> MemoryController::BoardFlashSize() const {
    return connected_ ? port_.FlashSize() : std::nullopt;
}

bool MemoryController::Disconnect() {
    port_.Close();
    connected_ = false;
    return true;
}

bool MemoryController::SendSet(const RegisterPair* pairs, int32_t count) {
    return port_.WriteList(count, pairs, Token()) || FailFromPort();
}

void MemoryController::ListAddress(uint32_t address, RegisterPair* pairs) const {
    pairs[0] = {Reg(kRegAddressLow), static_cast<uint8_t>(address)};
    pairs[1] = {Reg(kRegAddressMid), static_cast<uint8_t>(address >> 8)};
    pairs[2] = {Reg(kRegAddressHigh), static_cast<uint8_t>(address >> 16)};
}

bool MemoryController::SetAddress(uint32_t address) {
    Begin(Doing::SetAddress, address);
    return SendAddress(address);
}

bool MemoryController::SendAddress(uint32_t address) {
    if (noController_) {
        return FailNoController();
    }
    RegisterPair pairs[3];
    ListAddress(address, pairs);
    return SendSet(pairs, 3) && CheckRegisterBase(address);
}

// The address goes out ahead of the data that follows it: a port that can sends both without
// waiting for the address's answer between the two.
bool MemoryController::SetAddressAhead(uint32_t address) {
    if (noController_) {
        return FailNoController();
    }
    RegisterPair pairs[3];
    ListAddress(address, pairs);
    return (port_.WriteListAhead(3, pairs) || FailFromPort()) && CheckRegisterBase(address);
}

bool MemoryController::FailNoController() {
    noController_ = true;
    errorCode_ = kErrNoController;
    return false;
}

bool MemoryController::CheckRegisterBase(uint32_t address) {
    // An address of all ones reads back as registers outside the block do: it tells nothing.
    if (baseChecked_ || (address & 0xFFFFFFu) == 0xFFFFFFu) {
        return true;
    }
    baseChecked_ = true;
    RegisterPair pairs[3];
    ListAddress(0, pairs);
    if (!port_.ReadList(3, pairs, Token())) {
        return FailFromPort();
    }
    if (pairs[0].data == 0xFF && pairs[1].data == 0xFF && pairs[2].data == 0xFF) {
        return FailNoController();
    }
    return true;
}

bool MemoryController::WriteRepeat(uint8_t reg, uint32_t address, const uint8_t* buffer,
                                   int32_t count) {
    return SetAddressAhead(address) &&
           (port_.WriteRepeat(count, Reg(reg), buffer, Token()) || FailFromPort());
}

bool MemoryController::ReadRepeat(uint8_t reg, uint32_t address, uint8_t* buffer, int32_t count) {
    return SetAddressAhead(address) &&
           (port_.ReadRepeat(count, Reg(reg), buffer, Token()) || FailFromPort());
}

// A Flash is put into read-array mode in the same list that sets the address, both sent ahead of
// the request: one exchange on a line that holds several.
bool MemoryController::Checksum(uint8_t reg, uint32_t address, int32_t count, uint32_t& crc) {
    if (noController_) {
        return FailNoController();
    }
    RegisterPair pairs[7];
    int32_t listed = 0;
    if (reg == kRegFlashData) {
        ListFlashCommand(kFlashReadArray, pairs);
        listed = 4;
    }
    ListAddress(address, pairs + listed);
    return (port_.WriteListAhead(listed + 3, pairs) || FailFromPort()) &&
           CheckRegisterBase(address) &&
           (port_.Checksum(count, Reg(reg), crc, Token()) || FailFromPort());
}

bool MemoryController::ChecksumRam(uint32_t address, int32_t count, uint32_t& crc) {
    Begin(Doing::ChecksumRam, address, count);
    return Checksum(kRegRamData, address, count, crc);
}

bool MemoryController::ChecksumFlash(uint32_t address, int32_t count, uint32_t& crc) {
    Begin(Doing::ChecksumFlash, address, count);
    return Checksum(kRegFlashData, address, count, crc);
}

bool MemoryController::WriteReadBack(uint8_t reg, uint32_t address, const uint8_t* buffer,
                                     uint8_t* readBack, int32_t count, bool readArray) {
    if (!InterleavesReadBack()) {
        return WriteRepeat(reg, address, buffer, count) &&
               (!readArray || FlashCommand(kFlashReadArray)) &&
               ReadRepeat(reg, address, readBack, count);
    }
    if (!SetAddressAhead(address)) {
        return false;
    }
    // Before each read: the chip back to its array (Flash), the address back to the piece.
    auto rewind = [&](int32_t offset, RegisterPair* pairs) {
        int32_t listed = 0;
        if (readArray) {
            ListFlashCommand(kFlashReadArray, pairs);
            listed += 4;
        }
        ListAddress(address + static_cast<uint32_t>(offset), pairs + listed);
        return listed + 3;
    };
    return port_.WriteRepeatReadBack(count, Reg(reg), buffer, readBack, rewind, Token()) ||
           FailFromPort();
}

bool MemoryController::WriteRamReadBack(uint32_t address, const uint8_t* buffer, uint8_t* readBack,
                                        int32_t count) {
    Begin(Doing::WriteReadBackRam, address, count);
    return WriteReadBack(kRegRamData, address, buffer, readBack, count, false);
}

bool MemoryController::WriteFlashReadBack(uint32_t address, const uint8_t* buffer,
                                          uint8_t* readBack, int32_t count) {
    Begin(Doing::WriteReadBackFlash, address, count);
    return WriteReadBack(kRegFlashData, address, buffer, readBack, count, true);
}

bool MemoryController::WriteRam(uint32_t address, const uint8_t* buffer, int32_t count) {
    Begin(Doing::WriteRam, address, count);
    return WriteRepeat(kRegRamData, address, buffer, count);
}

bool MemoryController::ReadRam(uint32_t address, uint8_t* buffer, int32_t count) {
    Begin(Doing::ReadRam, address, count);
    return ReadRepeat(kRegRamData, address, buffer, count);
}

bool MemoryController::WriteFlash(uint32_t address, const uint8_t* buffer, int32_t count) {
    Begin(Doing::WriteFlash, address, count);
    return WriteRepeat(kRegFlashData, address, buffer, count);
}

bool MemoryController::ReadFlash(uint32_t address, uint8_t* buffer, int32_t count) {
    Begin(Doing::ReadFlash, address, count);
    return ReadRepeat(kRegFlashData, address, buffer, count);
}

bool MemoryController::EraseBlock(uint32_t blockAddress) {
    Begin(Doing::EraseBlock, blockAddress);
    if (noController_) {
        return FailNoController();
    }
    RegisterPair pairs[11];
    ListAddress(blockAddress, pairs);
    ListFlashCommand(kFlashBlockErase, pairs + 3);
    ListFlashCommand(kFlashEraseConfirm, pairs + 7);
    // The check follows the erase's commands: without a controller at the base they went to
    // registers that ignore writes, and the status it would poll next reads 0xFF.
    return SendSet(pairs, 11) && CheckRegisterBase(blockAddress);
}

void MemoryController::ListFlashCommand(uint8_t command, RegisterPair* pairs) const {
    pairs[0] = {Reg(kRegFlashCommand), command};
    pairs[1] = {Reg(kRegControl), kControlStrobeOn};
    pairs[2] = {Reg(kRegControl), kControlStrobeOff};
    pairs[3] = {Reg(kRegControl), kControlIdle};
}

bool MemoryController::FlashCommand(uint8_t command) {
    RegisterPair pairs[4];
    ListFlashCommand(command, pairs);
    return SendSet(pairs, 4);
}

bool MemoryController::ReadArrayMode() {
    Begin(Doing::FlashCommand, kFlashReadArray);
    return FlashCommand(kFlashReadArray);
}

bool MemoryController::ClearStatus() {
    Begin(Doing::FlashCommand, kFlashClearStatus);
    return FlashCommand(kFlashClearStatus);
}

bool MemoryController::ReadFlashStatus(uint8_t& status) {
    Begin(Doing::ReadFlashStatus);
    // All three accesses are made even when one fails, so the strobe always returns to idle.
    const bool strobe = port_.PutReg(Reg(kRegControl), kControlStatusRead);
    const bool read = port_.GetReg(Reg(kRegFlashStatus), status);
    const bool idle = port_.PutReg(Reg(kRegControl), kControlIdle);
    if (!(strobe && read && idle)) {
        return FailFromPort();
    }
    return true;
}

uint32_t MemoryController::BlockAddress(int32_t index) const {
    return tessary::BlockAddress(session_.memoryConfiguration, index);
}

uint32_t MemoryController::BlockSize(int32_t index) const {
    return tessary::BlockSize(session_.memoryConfiguration, index);
}

} // namespace tessary
