#pragma once

#include <climits>
#include <cstdint>
#include <functional>
#include <optional>
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
    // The port cannot do what was asked of it (a write with interleaved read-back).
    kErrNotSupported = 2053,
};

class CancelToken;

// The most pairs a rewind list of RegisterPort::WriteRepeatReadBack may hold.
inline constexpr int32_t kMaxRewindPairs = 8;

// Lists, into `pairs` (at most kMaxRewindPairs), what sets the address back to the piece that
// starts `offset` bytes into a block, after whatever makes the memory readable; returns how many.
using RewindList = std::function<int32_t(int32_t offset, RegisterPair* pairs)>;

// A link over which single bytes are written to and read from numbered 8-bit registers of the
// logic on the board. Every operation is synchronous and reports success; on failure the port
// keeps an error code. A port that owns its link (the library's, a serial port over its own
// line) closes it when destroyed.
//
// The calls that take a CancelToken carry transfers of any length: the port cuts them into what
// it can carry at once and looks at the token between the pieces; a cancelled transfer fails
// with kErrCancelled.
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
    // Opens the device at `path`, which may be longer than the device-name field holds (as the
    // /dev/serial/by-id/ names of USB adapters and network lines are). A port that knows its
    // device otherwise opens that.
    virtual bool OpenPath(const char* path);
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

    // `count` bytes to (from) register `address`, in as many pieces as the port needs; the
    // controller advances its address after every data byte, so each piece continues where the
    // last one ended.
    virtual bool WriteRepeat(int32_t count, uint8_t address, const uint8_t* data,
                             const CancelToken& cancel);
    virtual bool ReadRepeat(int32_t count, uint8_t address, uint8_t* data,
                            const CancelToken& cancel);
    // A register list of any length, in order.
    virtual bool WriteList(int32_t count, const RegisterPair* pairs, const CancelToken& cancel);
    // A register list sent ahead of what follows it: a port that can overlaps the two and takes
    // its answer with the next transfer (a failure may show there); others just send it.
    virtual bool WriteListAhead(int32_t count, const RegisterPair* pairs) {
        return PutRegSet(count, pairs);
    }
    // Reads back the registers a list names (one the port carries at once) into its data bytes,
    // after taking the answers of anything still under way.
    virtual bool ReadList(int32_t count, RegisterPair* pairs, const CancelToken& cancel);
    // True when a written block is best read back piece by piece as it is written: the reads then
    // share the link with the writes. Such a port does WriteRepeatReadBack; others refuse it.
    virtual bool InterleavesReadBack() const { return false; }
    // Writes `count` bytes to register `reg` and reads every piece back as soon as it is written:
    // the write, then the list rewind(offset, pairs), then the read into `readBack`; the address
    // then stands after the piece again, where the next write goes on.
    virtual bool WriteRepeatReadBack(int32_t count, uint8_t reg, const uint8_t* data,
                                     uint8_t* readBack, const RewindList& rewind,
                                     const CancelToken& cancel);

    // True when the open board computes checksums on its side (Checksum).
    virtual bool OffersChecksum() const { return false; }
    // The CRC-32 (Crc32.h) of `count` bytes (1 to 0xFFFFFF) that the board reads through
    // register `address` from the controller's address on, computed by the board: a few bytes on
    // the link instead of the data. The address advances as for reads. A port whose board does
    // not offer it fails with kErrNotSupported, sending nothing.
    virtual bool Checksum(int32_t count, uint8_t address, uint32_t& crc, const CancelToken& cancel);

    // The size of the open board's Flash, when the board makes it known.
    virtual std::optional<uint32_t> FlashSize() const { return std::nullopt; }
    // Why the last Open failed, in words for the user; empty when the port has nothing to add.
    virtual std::string OpenFailureText() const { return {}; }
    // Why the last register access failed, in words for the user: where, which request and how;
    // empty when the port has nothing to add to its error code.
    virtual std::string FailureText() const { return {}; }
    // Why the open board did not answer the exchanges that connect to it, in words for the user.
    virtual std::string NoAnswerText() const { return FailureText(); }
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
