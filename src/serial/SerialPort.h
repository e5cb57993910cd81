#pragma once

#include "Cancel.h"
#include "FastAnnouncement.h"
#include "RegisterPort.h"
#include "SerialProtocol.h"

#include <array>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>

namespace tessary {

class SerialLine;

// A RegisterPort over a serial line. Every operation sends one request frame and receives its
// reply frame. The line is the port's own when it is built with one (destroying the port then
// closes and resets it), else it belongs to the caller, who hands it to Initialize. A repeated
// access or a register list that does not fit one frame is refused with kErrFrameTooLong before
// anything is sent (FramedAccess.h carries longer ones as several frames); the cancel-aware calls
// of RegisterPort carry them in frames, as many in flight as the window allows.
//
// A board that announces the fast protocol at the end of its identity (read by GetIdentity) gets
// longer frames and the compact read. The Issue calls keep up to Window() requests in flight: each
// sends its request at once, first taking the oldest reply when the window is full; Complete takes
// every reply still due. Replies are taken in order; the first that is missing, short or wrong
// fails the call that takes it with its error code, delivers nothing more, and the replies still
// due are drained from the line so that the next request starts clean. With a window of 1 the
// port sends exactly the frames, in exactly the turn, of one request and one reply at a time.
// The reply of a checksum, a fill or a run-length read is waited for longer by the time the board
// may take over its count of bytes (LineAllowance.h).
//
// A wait for a reply that the Issue calls and Complete are given a cancel for ends soon after the
// cancel (kErrCancelled): the replies still due are taken off the line while they keep coming,
// and when the board stalls instead, the port is out of step with it; every request then fails
// with kErrCancelled, sending nothing, until the port is closed (an Open starts clean).
class SerialPort final : public RegisterPort {
  public:
    SerialPort() = default;
    // A port over its own line (initialised by the caller), itself initialised.
    explicit SerialPort(std::unique_ptr<SerialLine> line);
    ~SerialPort() override;
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    bool Initialize(SerialLine& line);
    void Uninitialize() override;
    // Opens the line at the device name.
    bool Open() override;
    bool OpenPath(const char* path) override;
    bool Close() override;
    bool Probe(bool& present) override;
    bool GetIdentity(int capacity, char* text) override;
    bool PutReg(uint8_t address, uint8_t data) override;
    bool PutRegRepeat(int32_t count, uint8_t address, const uint8_t* data) override;
    bool PutRegSet(int32_t count, const RegisterPair* pairs) override;
    bool GetReg(uint8_t address, uint8_t& data) override;
    bool GetRegRepeat(int32_t count, uint8_t address, uint8_t* data) override;
    bool GetRegSet(int32_t count, RegisterPair* pairs) override;

    // A board announcing x=f gets its runs of one value as fill requests, one announcing x=r
    // run-length reads where they pay (FramedAccess.h); others exactly the data frames.
    bool WriteRepeat(int32_t count, uint8_t address, const uint8_t* data,
                     const CancelToken& cancel) override;
    bool ReadRepeat(int32_t count, uint8_t address, uint8_t* data,
                    const CancelToken& cancel) override;
    bool WriteList(int32_t count, const RegisterPair* pairs, const CancelToken& cancel) override;
    // Goes out in the same window as what follows: no wait for its reply between the two.
    bool WriteListAhead(int32_t count, const RegisterPair* pairs) override;
    bool ReadList(int32_t count, RegisterPair* pairs, const CancelToken& cancel) override;
    // A board with the compact read: the reads then share the line with the writes.
    bool InterleavesReadBack() const override { return Limits().compactRead; }
    bool WriteRepeatReadBack(int32_t count, uint8_t reg, const uint8_t* data, uint8_t* readBack,
                             const RewindList& rewind, const CancelToken& cancel) override;
    // A board announcing x=c.
    bool OffersChecksum() const override { return fast_ && fast_->checksum; }
    bool Checksum(int32_t count, uint8_t address, uint32_t& crc,
                  const CancelToken& cancel) override;
    // The size a fast board announced with its identity.
    std::optional<uint32_t> FlashSize() const override;
    // Why the line could not be opened.
    std::string OpenFailureText() const override;
    // Why the board on the line did not answer, with the request that failed: no answer, a line
    // that hung up, or answers that are not the memory controller's.
    std::string NoAnswerText() const override;

    // Requests in flight at once: `window` (1 to 32) forces it; 0 takes the board's announcement,
    // and 1 for a board that announces nothing.
    void SetWindow(int32_t window) { forcedWindow_ = window; }
    int32_t Window() const;
    // What the board announced when its identity was last read; nothing for a basic board.
    const std::optional<protocol::FastCapabilities>& Fast() const { return fast_; }
    // What one frame carries with this board.
    protocol::FrameLimits Limits() const { return protocol::LimitsFor(fast_); }

    bool IssuePutRegRepeat(int32_t count, uint8_t address, const uint8_t* data,
                           const CancelToken& cancel = CancelToken::Never());
    bool IssueGetRegRepeat(int32_t count, uint8_t address, uint8_t* data,
                           const CancelToken& cancel = CancelToken::Never());
    bool IssuePutRegSet(int32_t count, const RegisterPair* pairs,
                        const CancelToken& cancel = CancelToken::Never());
    bool IssueGetRegSet(int32_t count, RegisterPair* pairs,
                        const CancelToken& cancel = CancelToken::Never());
    // A board announcing x=f: `value` written `count` times (1 to kMaxBoardCount) through
    // register `address`; others fail with kErrNotSupported, sending nothing.
    bool IssueFill(int32_t count, uint8_t address, uint8_t value,
                   const CancelToken& cancel = CancelToken::Never());
    // What a run-length read's reply stood for, and its bytes on the line.
    struct RunsRead {
        int32_t covered = 0;
        int32_t replyBytes = 0;
    };
    // A board announcing x=r: one run-length read of up to `count` bytes (1 to kMaxBoardCount)
    // into `data`, its reply taken (with those of everything still in flight); the address then
    // stands after the `read.covered` bytes delivered. A reply that stands for no byte, for more
    // than asked, or whose last item is cut short fails with kErrWrongReply. Others fail with
    // kErrNotSupported, sending nothing.
    bool ReadRuns(int32_t count, uint8_t address, uint8_t* data, RunsRead& read,
                  const CancelToken& cancel = CancelToken::Never());
    bool Complete(const CancelToken& cancel = CancelToken::Never());

    // Which request failed last and how, with the line's name: "/dev/ttyUSB0: request 0x49 (read
    // of 62 bytes from register 0x07): no reply within 1010 ms"; empty when nothing failed since
    // the port was opened.
    std::string FailureText() const override;

  private:
    // What a reply delivers, and where.
    enum class Delivery { Nothing, Identity, Register, RepeatValues, SetPairs, Checksum, Runs };
    struct Pending {
        uint8_t expected = 0;
        Delivery delivery = Delivery::Nothing;
        int32_t count = 0; // values, pairs, or the identity's capacity
        void* out = nullptr;
        // The bytes the board reads or writes on its side before it answers, which lengthen
        // the wait for the reply (LineAllowance.h).
        int32_t boardBytes = 0;
        // The request's first payload bytes and its length, for the words of a failure.
        uint8_t request[3] = {};
        int requestLength = 0;
    };
    static constexpr size_t kMaxInFlight = protocol::kMaxFastWindow;

    bool Issue(const uint8_t* payload, int length, const Pending& pending,
               const CancelToken& cancel = CancelToken::Never());
    bool TakeOldest(const CancelToken& cancel);
    bool Deliver(const Pending& pending, const uint8_t* payload, int length);
    // A run-length reply's items, decoded into the request's data.
    bool DeliverRuns(const Pending& pending, const uint8_t* payload, int length);
    // Fails with `code` and drains the replies still due (after a cancel, only while they keep
    // coming).
    bool Abandon(int32_t code);
    bool LineFailed();
    // Refuses a request longer than one frame carries, before anything is sent.
    bool RefuseTooLong();
    // Fails `request` with `code`, `how` saying what went wrong, and drains as Abandon does.
    bool FailRequest(const Pending& request, int32_t code, const std::string& how);

    std::unique_ptr<SerialLine> ownLine_;
    SerialLine* line_ = nullptr;
    // The path the line was last opened at.
    std::string path_;
    int32_t forcedWindow_ = 0;
    std::optional<protocol::FastCapabilities> fast_;
    std::array<Pending, kMaxInFlight> inFlight_{};
    size_t oldest_ = 0;
    size_t inFlightCount_ = 0;
    bool outOfStep_ = false;
    std::string failure_;
    // What the last run-length reply delivered.
    RunsRead runs_;
};

} // namespace tessary
