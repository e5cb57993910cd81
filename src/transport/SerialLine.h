#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace tessary {

// Why the last Open of a serial line failed, in terms the person at the machine can act on.
enum class OpenFailure {
    None,
    NoSuchDevice,
    PermissionDenied,
    Busy,
    NotASerialDevice,
    Other,
};

// The serial line to a board: a tty at 115200 baud, 8 data bits, no parity, one stop bit, raw,
// without flow control, DTR and RTS held off. It sends and receives whole frames of the register
// protocol and keeps the error code of its last failure.
class SerialLine {
  public:
    static constexpr uint32_t kFlagOpen = 0x1u;
    static constexpr uint32_t kFlagInitialised = 0x80000000u;

    SerialLine() = default;
    ~SerialLine();
    SerialLine(const SerialLine&) = delete;
    SerialLine& operator=(const SerialLine&) = delete;

    bool Initialize();
    // The name is a tty path; a name without '/' is looked up under /dev/.
    bool Open(const char* portName);
    bool Close();
    // Sends one frame carrying `length` payload bytes (at most 65).
    bool SendFrame(int length, const uint8_t* payload);
    // Receives one frame; its payload goes to `buffer`, which takes at most `capacity` bytes.
    // The whole frame must arrive within one allowance (1000 ms + 10 ms a byte); a peer that
    // hangs up ends the wait at once. A longer reply is read off the line, dropped and reported
    // as kErrReplyTooLong; a frame whose checksum does not add up fails with kErrBadChecksum.
    bool ReceiveFrame(int capacity, int& length, uint8_t* buffer);
    // Back to the state of a new line; a tty still open is closed, never leaked.
    void Reset();

    uint32_t Flags() const { return flags_; }
    int32_t ErrorCode() const { return errorCode_; }
    OpenFailure LastOpenFailure() const { return openFailure_; }
    // "<path>: <reason>" for the last failed Open, empty when the last Open succeeded.
    std::string OpenFailureText() const;

  private:
    bool Fail(int32_t code) {
        errorCode_ = code;
        return false;
    }
    void CloseHandle();
    bool WriteAll(const uint8_t* bytes, int count);
    int ReadUntil(uint8_t* buffer, int wanted, std::chrono::steady_clock::time_point deadline);

    uint32_t flags_ = 0;
    int handle_ = -1;
    int32_t errorCode_ = 0;
    OpenFailure openFailure_ = OpenFailure::None;
    int openErrno_ = 0;
    std::string path_;
};

// Where a port name lives: "COM1" is /dev/COM1, a name with a '/' is taken as it stands.
std::string TtyPath(const char* portName);

// Words for an open failure ("no such device", "permission denied ...").
std::string DescribeOpenFailure(OpenFailure failure, int osError);

} // namespace tessary
