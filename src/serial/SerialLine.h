#pragma once

#include "Cancel.h"
#include "DefaultBaud.h"
#include "OpenFailure.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

namespace tessary {

class ByteStream;

// The serial line to a board: a tty at 115200 baud (or the rate set), 8 data bits, no parity, one
// stop bit, raw, without flow control, DTR and RTS held off; or a serial line behind a network
// server (tcp://HOST:PORT raw, rfc2217://HOST:PORT with Telnet COM-PORT-CONTROL), with the same
// frames, time-outs and errors. It sends and receives whole frames of the register protocol and
// keeps the error code of its last failure.
class SerialLine {
  public:
    static constexpr uint32_t kFlagOpen = 0x1u;
    static constexpr uint32_t kFlagInitialised = 0x80000000u;

    SerialLine();
    ~SerialLine();
    SerialLine(const SerialLine&) = delete;
    SerialLine& operator=(const SerialLine&) = delete;

    bool Initialize();
    // The name is a tty path (a name without '/' is looked up under /dev/), tcp://HOST:PORT or
    // rfc2217://HOST:PORT.
    bool Open(const char* portName);
    // The rate the next Open sets: any rate the tty's driver can make, or what a network line
    // asks its server for. 115200 until set.
    void SetBaud(uint32_t baud) { baud_ = baud; }
    // The longest request payload SendFrame sends: 65 (the basic protocol) until set, at most 255.
    void SetRequestLimit(int limit) { requestLimit_ = limit; }
    // Reads and drops whatever arrives until the line has been quiet for a while: the replies
    // still due after a failure, so that the next request starts clean.
    void DiscardInput();
    // After a cancel: reads off and drops the replies of `count` requests, the first of them the
    // rest of a frame the cancel cut short (if it cut one), for as long as they keep coming.
    // False when the line falls quiet or dies before they are all in: a board that stalls is not
    // waited for, and the line is out of step with it until it is opened again.
    bool DropReplies(int count);
    bool Close();
    // Sends one frame carrying `length` payload bytes (at most the request limit).
    bool SendFrame(int length, const uint8_t* payload);
    // Receives one frame; its payload goes to `buffer`, which takes at most `capacity` bytes.
    // The whole frame must arrive within one allowance (1000 ms + 10 ms a byte), plus `work`
    // when the board carries out a request over many bytes before it answers (LineAllowance.h);
    // a peer that hangs up ends the wait at once (kErrLineHungUp), and so does a cancel
    // (kErrCancelled), within a twentieth of a second. A longer reply is read off the line,
    // dropped and reported as kErrReplyTooLong; a frame whose checksum does not add up fails with
    // kErrBadChecksum.
    bool ReceiveFrame(int capacity, int& length, uint8_t* buffer,
                      const CancelToken& cancel = CancelToken::Never(),
                      std::chrono::milliseconds work = {});
    // Back to the state of a new line; a tty still open is closed, never leaked.
    void Reset();

    uint32_t Flags() const { return flags_; }
    int32_t ErrorCode() const { return errorCode_; }
    OpenFailure LastOpenFailure() const { return openFailure_; }
    // "<path>: <reason>" for the last failed Open, empty when the last Open succeeded.
    std::string OpenFailureText() const;
    // How the last SendFrame or ReceiveFrame failed, in words ("no reply within 1010 ms", "reply
    // cut after 3 of 66 bytes", "bad checksum", "the line hung up ..."); empty when it succeeded.
    const std::string& FailureText() const { return failure_; }
    // The line's name as it was opened: a tty path or a network line.
    const std::string& Path() const { return path_; }

  private:
    // How a wait for the line ended.
    enum class Wait { Ready, TimedOut, HungUp, Cancelled };

    bool Fail(int32_t code, std::string how = {}) {
        errorCode_ = code;
        failure_ = std::move(how);
        return false;
    }
    // Fails with what ended the wait; `timedOut` (in words: `late`) when the time ran out.
    bool FailWait(Wait ended, int32_t timedOut, std::string late);
    void CloseStream();
    Wait WaitFor(std::chrono::steady_clock::time_point deadline, const CancelToken& cancel);
    // Reads what has arrived, at most `count` bytes, first waiting for some until the deadline;
    // 0 when none came, `ended` saying why.
    int ReadSome(uint8_t* buffer, int count, std::chrono::steady_clock::time_point deadline,
                 const CancelToken& cancel, Wait& ended);
    int ReadUntil(uint8_t* buffer, int wanted, std::chrono::steady_clock::time_point deadline,
                  const CancelToken& cancel, Wait& ended);
    // A pause on the line this long means no reply is under way.
    std::chrono::steady_clock::duration QuietTime() const;

    uint32_t flags_ = 0;
    // The open line's bytes: a tty, a raw TCP connection or a Telnet session.
    std::unique_ptr<ByteStream> stream_;
    int32_t errorCode_ = 0;
    std::string failure_;
    OpenFailure openFailure_ = OpenFailure::None;
    int openErrno_ = 0;
    // What is wrong with a malformed network line's name.
    std::string openProblem_;
    std::string path_;
    uint32_t baud_ = kDefaultBaud;
    int requestLimit_ = 65;
    // Bytes of a frame still to come when a cancel cut its reception short.
    int owed_ = 0;
};

// Where a port name lives: "COM1" is /dev/COM1, a name with a '/' is taken as it stands.
std::string TtyPath(const char* portName);

} // namespace tessary
