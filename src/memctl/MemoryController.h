#pragma once

#include "RegisterPort.h"
#include "Session.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tessary {

class CancelToken;

// Bytes moved per transfer call by every load and store.
inline constexpr int32_t TransferBlockSize = 8192;

// Error code of an operation that found no memory controller at the register base: the address
// registers read back 0xFF 0xFF 0xFF, as registers outside the block do, after another address
// was set.
inline constexpr int32_t kErrNoController = 257;

// The PC-side client of the board's memory controller, built for one operation over a port that
// is given to it: it connects through the port and runs register sequences. A cancel is noticed
// between the pieces of a long transfer (the frames of a serial line). The session, the port and
// the token must outlive the controller.
//
// The first address an operation sets is read back (one exchange more): a controller answers with
// the address, while registers outside its block read 0xFF. Address registers that read 0xFF 0xFF
// 0xFF after another address was set mean that no controller sits at the register base, and the
// access fails with kErrNoController before any data moves; any other read-back is accepted.
class MemoryController {
  public:
    MemoryController(const Session& session, RegisterPort& port);
    MemoryController(const Session& session, RegisterPort& port, const CancelToken& cancel);
    MemoryController(const MemoryController&) = delete;
    MemoryController& operator=(const MemoryController&) = delete;

    bool Connect(const char* deviceName);
    bool Disconnect();

    bool SetAddress(uint32_t address);
    bool WriteRam(uint32_t address, const uint8_t* buffer, int32_t count);
    bool ReadRam(uint32_t address, uint8_t* buffer, int32_t count);
    bool WriteFlash(uint32_t address, const uint8_t* buffer, int32_t count);
    bool ReadFlash(uint32_t address, uint8_t* buffer, int32_t count);
    // True when a written block is best read back piece by piece as it is written (the port's
    // reads then share the link with the writes).
    bool InterleavesReadBack() const { return port_.InterleavesReadBack(); }
    // Writes a block and reads each piece back right after it (Flash: in read-array mode).
    bool WriteRamReadBack(uint32_t address, const uint8_t* buffer, uint8_t* readBack,
                          int32_t count);
    bool WriteFlashReadBack(uint32_t address, const uint8_t* buffer, uint8_t* readBack,
                            int32_t count);
    // True when the board computes checksums on its side: a piece is then compared by its CRC-32
    // (Crc32.h) instead of being read back.
    bool OffersChecksum() const { return port_.OffersChecksum(); }
    // The board's CRC-32 of `count` bytes (1 to 0xFFFFFF) at `address`; the Flash is put into
    // read-array mode first.
    bool ChecksumRam(uint32_t address, int32_t count, uint32_t& crc);
    bool ChecksumFlash(uint32_t address, int32_t count, uint32_t& crc);
    bool EraseBlock(uint32_t blockAddress);
    bool ReadArrayMode();
    bool ClearStatus();
    bool ReadFlashStatus(uint8_t& status);
    uint32_t BlockAddress(int32_t index) const;
    uint32_t BlockSize(int32_t index) const;

    bool IsConnected() const { return connected_; }
    bool CancelRequested() const;
    // While held, a cancel is not noticed: for work that must not be left half done, such as
    // programming back the bytes of a block that has just been erased.
    void HoldCancel(bool held) { cancelHeld_ = held; }
    int32_t ErrorCode() const { return errorCode_; }
    const char* Identity() const { return identity_; }
    // The size of the board's Flash, when the connected board makes it known (a fast board's
    // identity, a simulated board's device).
    std::optional<uint32_t> BoardFlashSize() const;
    // Why the last Connect failed, in words for the user: the line or device that could not be
    // opened and why, or the board that did not answer; empty when nothing more is known.
    std::string ConnectFailureText() const;
    // Why the last access after Connect failed, in words for the user: what the controller was
    // doing ("reading 8192 bytes of Flash at 0x012000"), then where and how the port failed
    // ("/dev/ttyUSB0: request 0x49 (...): no reply within 1010 ms"); empty when nothing failed.
    std::string FailureText() const;
    // The last failure found no controller at the register base (kErrNoController).
    bool ControllerMissing() const { return errorCode_ == kErrNoController; }

  private:
    // What the controller was doing, for the words of a failure.
    enum class Doing {
        Nothing,
        SetAddress,
        WriteRam,
        ReadRam,
        WriteFlash,
        ReadFlash,
        WriteReadBackRam,
        WriteReadBackFlash,
        ChecksumRam,
        ChecksumFlash,
        EraseBlock,
        FlashCommand,
        ReadFlashStatus,
    };
    struct Exchange {
        Doing doing = Doing::Nothing;
        uint32_t address = 0; // or the Flash command
        int32_t count = 0;
    };

    void Begin(Doing doing, uint32_t address = 0, int32_t count = 0);
    // Once per operation, after the first address other than 0xFFFFFF went out (and before any
    // data follows it): reads the address registers back and fails with kErrNoController when
    // they read 0xFF 0xFF 0xFF.
    bool CheckRegisterBase(uint32_t address);
    // No controller answers at the register base: this access and every later one fail with
    // kErrNoController, sending nothing more.
    bool FailNoController();
    const CancelToken& Token() const;
    uint8_t Reg(uint8_t offset) const;
    bool FailFromPort();
    // The address registers set to `address` (its low 24 bits), in the first three pairs.
    void ListAddress(uint32_t address, RegisterPair* pairs) const;
    // The four pairs of a Flash command: the command byte, then the write strobe.
    void ListFlashCommand(uint8_t command, RegisterPair* pairs) const;
    bool SendSet(const RegisterPair* pairs, int32_t count);
    bool SendAddress(uint32_t address);
    bool SetAddressAhead(uint32_t address);
    bool FlashCommand(uint8_t command);
    bool WriteRepeat(uint8_t reg, uint32_t address, const uint8_t* buffer, int32_t count);
    bool ReadRepeat(uint8_t reg, uint32_t address, uint8_t* buffer, int32_t count);
    bool Checksum(uint8_t reg, uint32_t address, int32_t count, uint32_t& crc);
    bool WriteReadBack(uint8_t reg, uint32_t address, const uint8_t* buffer, uint8_t* readBack,
                       int32_t count, bool readArray);

    const Session& session_;
    RegisterPort& port_;
    const CancelToken& cancel_;
    bool connected_ = false;
    bool cancelHeld_ = false;
    int32_t errorCode_ = 0;
    Exchange exchange_;
    bool baseChecked_ = false;
    // The check found no controller: every later address fails the same way.
    bool noController_ = false;
    char identity_[64] = {};
};

} // namespace tessary
