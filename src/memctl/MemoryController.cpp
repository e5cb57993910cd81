#include "MemoryController.h"

#include "Cancel.h"
#include "ControllerRegisters.h"
#include "FastAnnouncement.h"
#include "FlashCommands.h"
#include "FlashGeometry.h"
#include "FramedAccess.h"
#include "LibraryPort.h"
#include "SerialLine.h"
#include "SerialPort.h"
#include "Sinks.h"

#include <algorithm>
#include <new>

namespace tessary {

MemoryController::MemoryController(const Session& session)
    : MemoryController(session, CancelToken::Never()) {}

MemoryController::MemoryController(const Session& session, const CancelToken& cancel)
    : session_(session), cancel_(cancel) {}

MemoryController::~MemoryController() = default;

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
    errorCode_ = CancelRequested() ? kErrCancelled : port_->ErrorCode();
    return false;
}

bool MemoryController::CreatePort(MessageSink* owner) {
    owner_ = owner;
    const int32_t type = session_.interfaceType;
    if (type == kInterfaceLibrary) {
        auto port = std::unique_ptr<LibraryPort>(new (std::nothrow) LibraryPort(session_));
        if (!port || !port->Initialize()) {
            return false;
        }
        port_ = std::move(port);
        return true;
    }
    if (type == kInterfaceSerial) {
        return CreateSerialPort();
    }
    if (owner_ != nullptr) {
        owner_->ShowMessage("Invalid interface type selected", "Internal Error", MessageIcon::Error,
                            false);
    }
    return false;
}

bool MemoryController::CreateSerialPort() {
    serialLine_.reset(new (std::nothrow) SerialLine());
    auto port =
        std::unique_ptr<SerialPort>(serialLine_ ? new (std::nothrow) SerialPort() : nullptr);
    if (!port) {
        errorCode_ = kErrOutOfMemory;
        Release();
        return false;
    }
    serialLine_->Initialize();
    serialLine_->SetBaud(session_.serialBaud);
    port->Initialize(*serialLine_);
    port->SetWindow(session_.serialWindow);
    serialPort_ = port.get();
    port_ = std::move(port);
    return true;
}

bool MemoryController::Connect(const char* deviceName) {
    Begin(Doing::Nothing);
    identity_[0] = '\0';
    port_->SetDeviceName(deviceName);
    // A serial line's name may be longer than the device-name field holds (a network line, a
    // /dev/serial/by-id/ name): it is opened as given.
    const bool opened = serialPort_ != nullptr ? serialPort_->OpenPath(deviceName) : port_->Open();
    if (!opened) {
        connected_ = false;
        return false;
    }
    connected_ = true;
    bool present = false;
    bool ok = port_->Probe(present) && present;
    if (ok) {
        ok = port_->GetIdentity(static_cast<int>(sizeof(identity_)), identity_);
    }
    if (ok) {
        ok = port_->PutReg(Reg(kRegControl), kControlIdle);
    }
    if (!ok) {
        errorCode_ = port_->ErrorCode();
    }
    return ok;
}

std::optional<uint32_t> MemoryController::BoardFlashSize() const {
    if (const auto fast = protocol::ParseFastAnnouncement(identity_); fast && fast->flashSize) {
        return fast->flashSize;
    }
    const auto* library = dynamic_cast<const LibraryPort*>(port_.get());
    return connected_ && library != nullptr ? library->FlashSize() : std::nullopt;
}

bool MemoryController::Disconnect() {
    if (port_) {
        port_->Close();
    }
    connected_ = false;
    return true;
}

void MemoryController::Release() {
    serialPort_ = nullptr;
    if (port_) {
        port_->Uninitialize();
        port_.reset();
    }
    if (serialLine_) {
        serialLine_->Reset();
        serialLine_.reset();
    }
}

// Over the serial line one frame carries a limited number of bytes; there repeated accesses and
// register lists go out as several frames. The library takes each in one call.
bool MemoryController::SendSet(const RegisterPair* pairs, int32_t count) {
    const bool sent = serialPort_ != nullptr
                          ? PutRegSetInFrames(*serialPort_, count, pairs, Token())
                          : port_->PutRegSet(count, pairs);
    if (!sent) {
        return FailFromPort();
    }
    return true;
}

bool MemoryController::SetAddress(uint32_t address) {
    Begin(Doing::SetAddress, address);
    return SendAddress(address);
}

bool MemoryController::SendAddress(uint32_t address) {
    if (noController_) {
        return FailNoController();
    }
    const RegisterPair pairs[] = {
        {Reg(kRegAddressLow), static_cast<uint8_t>(address)},
        {Reg(kRegAddressMid), static_cast<uint8_t>(address >> 8)},
        {Reg(kRegAddressHigh), static_cast<uint8_t>(address >> 16)},
    };
    return SendSet(pairs, 3) && CheckRegisterBase(address);
}

// On a serial line the address goes out in the same window as the data that follows it: no
// wait for its reply between the two.
bool MemoryController::SetAddressAhead(uint32_t address) {
    if (serialPort_ == nullptr || noController_) {
        return SendAddress(address);
    }
    const RegisterPair pairs[] = {
        {Reg(kRegAddressLow), static_cast<uint8_t>(address)},
        {Reg(kRegAddressMid), static_cast<uint8_t>(address >> 8)},
        {Reg(kRegAddressHigh), static_cast<uint8_t>(address >> 16)},
    };
    return (serialPort_->IssuePutRegSet(3, pairs) || FailFromPort()) && CheckRegisterBase(address);
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
    RegisterPair pairs[] = {
        {Reg(kRegAddressLow), 0}, {Reg(kRegAddressMid), 0}, {Reg(kRegAddressHigh), 0}};
    const bool read = serialPort_ != nullptr ? serialPort_->IssueGetRegSet(3, pairs, Token()) &&
                                                   serialPort_->Complete(Token())
                                             : port_->GetRegSet(3, pairs);
    if (!read) {
        return FailFromPort();
    }
    if (pairs[0].data == 0xFF && pairs[1].data == 0xFF && pairs[2].data == 0xFF) {
        return FailNoController();
    }
    return true;
}

bool MemoryController::WriteRepeat(uint8_t reg, uint32_t address, const uint8_t* buffer,
                                   int32_t count) {
    if (!SetAddressAhead(address)) {
        return false;
    }
    if (serialPort_ != nullptr) {
        return PutRegRepeatInFrames(*serialPort_, count, Reg(reg), buffer, Token()) ||
               FailFromPort();
    }
    // In pieces the port can move in about a tenth of a second, the cancel looked at between
    // them; the controller's address runs on from one to the next.
    const int32_t piece = port_->RepeatPiece();
    for (int32_t done = 0; done < count; done += piece) {
        if ((done > 0 && CancelRequested()) ||
            !port_->PutRegRepeat(std::min(piece, count - done), Reg(reg), buffer + done)) {
            return FailFromPort();
        }
    }
    return true;
}

bool MemoryController::ReadRepeat(uint8_t reg, uint32_t address, uint8_t* buffer, int32_t count) {
    if (!SetAddressAhead(address)) {
        return false;
    }
    if (serialPort_ != nullptr) {
        return GetRegRepeatInFrames(*serialPort_, count, Reg(reg), buffer, Token()) ||
               FailFromPort();
    }
    const int32_t piece = port_->RepeatPiece();
    for (int32_t done = 0; done < count; done += piece) {
        if ((done > 0 && CancelRequested()) ||
            !port_->GetRegRepeat(std::min(piece, count - done), Reg(reg), buffer + done)) {
            return FailFromPort();
        }
    }
    return true;
}

bool MemoryController::InterleavesReadBack() const {
    return serialPort_ != nullptr && serialPort_->Limits().compactRead;
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
            pairs[listed++] = {Reg(kRegFlashCommand), kFlashReadArray};
            pairs[listed++] = {Reg(kRegControl), kControlStrobeOn};
            pairs[listed++] = {Reg(kRegControl), kControlStrobeOff};
            pairs[listed++] = {Reg(kRegControl), kControlIdle};
        }
        const uint32_t at = address + static_cast<uint32_t>(offset);
        pairs[listed++] = {Reg(kRegAddressLow), static_cast<uint8_t>(at)};
        pairs[listed++] = {Reg(kRegAddressMid), static_cast<uint8_t>(at >> 8)};
        pairs[listed++] = {Reg(kRegAddressHigh), static_cast<uint8_t>(at >> 16)};
        return listed;
    };
    if (!PutRegRepeatReadBackInFrames(*serialPort_, count, Reg(reg), buffer, readBack, rewind,
                                      Token())) {
        return FailFromPort();
    }
    return true;
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
    const RegisterPair pairs[] = {
        {Reg(kRegAddressLow), static_cast<uint8_t>(blockAddress)},
        {Reg(kRegAddressMid), static_cast<uint8_t>(blockAddress >> 8)},
        {Reg(kRegAddressHigh), static_cast<uint8_t>(blockAddress >> 16)},
        {Reg(kRegFlashCommand), kFlashBlockErase},
        {Reg(kRegControl), kControlStrobeOn},
        {Reg(kRegControl), kControlStrobeOff},
        {Reg(kRegControl), kControlIdle},
        {Reg(kRegFlashCommand), kFlashEraseConfirm},
        {Reg(kRegControl), kControlStrobeOn},
        {Reg(kRegControl), kControlStrobeOff},
        {Reg(kRegControl), kControlIdle},
    };
    // The check follows the erase's commands: without a controller at the base they went to
    // registers that ignore writes, and the status it would poll next reads 0xFF.
    return SendSet(pairs, 11) && CheckRegisterBase(blockAddress);
}

// A single Flash command: the command byte, then the write strobe triple.
bool MemoryController::FlashCommand(uint8_t command) {
    const RegisterPair pairs[] = {
        {Reg(kRegFlashCommand), command},
        {Reg(kRegControl), kControlStrobeOn},
        {Reg(kRegControl), kControlStrobeOff},
        {Reg(kRegControl), kControlIdle},
    };
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
    const bool strobe = port_->PutReg(Reg(kRegControl), kControlStatusRead);
    const bool read = port_->GetReg(Reg(kRegFlashStatus), status);
    const bool idle = port_->PutReg(Reg(kRegControl), kControlIdle);
    if (!(strobe && read && idle)) {
        return FailFromPort();
    }
    return true;
}

uint32_t MemoryController::BlockAddress(int32_t index) const {
    return tessary::BlockAddress(session_.memoryConfiguration, index);
}

} // namespace tessary
