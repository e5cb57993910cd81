#pragma once

#include "RegisterPort.h"
#include "Session.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace tessary {

class CancelToken;
class MessageSink;
class SerialLine;
class SerialPort;

// Bytes moved per transfer call by every load and store.
inline constexpr int32_t TransferBlockSize = 8192;

// Error code of a CreatePort that could not build the serial line or its port.
inline constexpr int32_t kErrOutOfMemory = 256;

// The PC-side client of the board's memory controller, built for one operation: it creates the
// port the session's interface type selects, connects, runs register sequences, and is released
// again. No connection outlives it. A cancel is noticed between the frames of a long transfer.
// The session and the token must outlive the controller.
class MemoryController {
  public:
    explicit MemoryController(const Session& session);
    MemoryController(const Session& session, const CancelToken& cancel);
    ~MemoryController();
    MemoryController(const MemoryController&) = delete;
    MemoryController& operator=(const MemoryController&) = delete;

    // owner receives the box shown for an interface type the program does not know.
    bool CreatePort(MessageSink* owner);
    bool Connect(const char* deviceName);
    bool Disconnect();
    void Release();

    bool SetAddress(uint32_t address);
    bool WriteRam(uint32_t address, const uint8_t* buffer, int32_t count);
    bool ReadRam(uint32_t address, uint8_t* buffer, int32_t count);
    bool WriteFlash(uint32_t address, const uint8_t* buffer, int32_t count);
    bool ReadFlash(uint32_t address, uint8_t* buffer, int32_t count);
    // True when a written block is best read back piece by piece as it is written (a serial
    // board with the compact read: the reads then share the line with the writes).
    bool InterleavesReadBack() const;
    // Writes a block and reads each piece back right after it (Flash: in read-array mode).
    bool WriteRamReadBack(uint32_t address, const uint8_t* buffer, uint8_t* readBack,
                          int32_t count);
    bool WriteFlashReadBack(uint32_t address, const uint8_t* buffer, uint8_t* readBack,
                            int32_t count);
    bool EraseBlock(uint32_t blockAddress);
    bool ReadArrayMode();
    bool ClearStatus();
    bool ReadFlashStatus(uint8_t& status);
    uint32_t BlockAddress(int32_t index) const;

    bool IsConnected() const { return connected_; }
    bool CancelRequested() const;
    // While held, a cancel is not noticed: for work that must not be left half done, such as
    // programming back the bytes of a block that has just been erased.
    void HoldCancel(bool held) { cancelHeld_ = held; }
    int32_t ErrorCode() const { return errorCode_; }
    const char* Identity() const { return identity_; }
    // The size of the board's Flash, when the board made it known while connecting (a fast
    // board's identity) or the device library knows it (a simulated board).
    std::optional<uint32_t> BoardFlashSize() const;
    // Why the serial line could not be opened, in words for the user; empty otherwise.
    std::string LineFailureText() const;
    // Why the last Connect failed, in words for the user: the line or device that could not be
    // opened and why, or the board that did not answer; empty when nothing more is known.
    std::string ConnectFailureText() const;

  private:
    bool CreateSerialPort();
    const CancelToken& Token() const;
    uint8_t Reg(uint8_t offset) const;
    bool FailFromPort();
    bool SendSet(const RegisterPair* pairs, int32_t count);
    bool SetAddressAhead(uint32_t address);
    bool FlashCommand(uint8_t command);
    bool WriteRepeat(uint8_t reg, uint32_t address, const uint8_t* buffer, int32_t count);
    bool ReadRepeat(uint8_t reg, uint32_t address, uint8_t* buffer, int32_t count);
    bool WriteReadBack(uint8_t reg, uint32_t address, const uint8_t* buffer, uint8_t* readBack,
                       int32_t count, bool readArray);

    MessageSink* owner_ = nullptr;
    const Session& session_;
    const CancelToken& cancel_;
    std::unique_ptr<SerialLine> serialLine_;
    bool connected_ = false;
    bool cancelHeld_ = false;
    std::unique_ptr<RegisterPort> port_;
    // port_ itself when it is a serial port: long transfers go out through its window.
    SerialPort* serialPort_ = nullptr;
    int32_t errorCode_ = 0;
    char identity_[64] = {};
};

} // namespace tessary
