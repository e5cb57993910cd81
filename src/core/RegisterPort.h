#pragma once

#include <climits>
#include <cstdint>
#include <string>

namespace tessary {

// A register address byte and a data byte: the element of register lists, laid out back to back.
struct RegisterPair {
    uint8_t address;
    uint8_t data;
};
static_assert(sizeof(RegisterPair) == 2);

// Error codes a port keeps for its last failure.
enum PortError : int32_t {
    kErrLineNotInitialised = 1026,
    kErrLineNotOpen = 1027,
    kErrLineAlreadyOpen = 1028,
    kErrLineOpenFailed = 1029,
    kErrFrameTooLong = 1030,
    kErrWriteIncomplete = 1031,
    kErrReadIncomplete = 1032,
    kErrNoReply = 1033,
    kErrReplyCutShort = 1034,
    // A reply longer than the receiver's capacity: read off the line and dropped, never stored.
    kErrReplyTooLong = 1035,
    // A reply whose bytes do not add up to its checksum: changed on the line, never delivered.
    kErrBadChecksum = 1036,
    // The line went away: the tty hung up (the board's process ended, its adapter was unplugged)
    // or the server closed the connection.
    kErrLineHungUp = 1037,
    kErrWrongReply = 2050,
    kErrPortNotOpen = 2051,
    // The person cancelled the transfer; it stopped between two frames or while waiting for a
    // reply.
    kErrCancelled = 2052,
};

// A link over which single bytes are written to and read from numbered 8-bit registers of the
// logic on the board. Every operation is synchronous and reports success; on failure the port
// keeps an error code.
class RegisterPort {
  public:
    static constexpr uint32_t kFlagOpen = 0x1u;
    static constexpr uint32_t kFlagInitialised = 0x80000000u;
    static constexpr int kDeviceNameSize = 32;

    virtual ~RegisterPort() = default;
    virtual void Uninitialize() = 0;
    // Stores names shorter than 32 characters; a longer one leaves the field empty.
    virtual void SetDeviceName(const char* text);
    virtual bool Open() = 0;
    virtual bool Close() = 0;
    virtual bool Probe(bool& present) = 0;
    virtual bool GetIdentity(int capacity, char* text) = 0;
    virtual bool IsOpen();
    virtual bool PutReg(uint8_t address, uint8_t data) = 0;
    virtual bool PutRegRepeat(int32_t count, uint8_t address, const uint8_t* data) = 0;
    virtual bool PutRegSet(int32_t count, const RegisterPair* pairs) = 0;
    virtual bool GetReg(uint8_t address, uint8_t& data) = 0;
    virtual bool GetRegRepeat(int32_t count, uint8_t address, uint8_t* data) = 0;
    virtual bool GetRegSet(int32_t count, RegisterPair* pairs) = 0;
    // Why the last Open failed, in words for the user; empty when the port has nothing to add.
    virtual std::string OpenFailureText() const { return {}; }
    // Why the last register access failed, in words for the user: where, which request and how;
    // empty when the port has nothing to add to its error code.
    virtual std::string FailureText() const { return {}; }
    // The most bytes one repeat call of the open port should carry for a cancel to be seen within
    // about a tenth of a second: a call runs to its end once begun.
    virtual int32_t RepeatPiece() const { return INT32_MAX; }

    uint32_t Flags() const { return flags_; }
    int32_t ErrorCode() const { return errorCode_; }
    const char* DeviceName() const { return deviceName_; }

  protected:
    bool Fail(int32_t code) {
        errorCode_ = code;
        return false;
    }

    uint32_t flags_ = 0;
    int32_t errorCode_ = 0;
    char deviceName_[kDeviceNameSize] = {};
};

} // namespace tessary
