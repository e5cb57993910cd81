#include "SerialLine.h"

#include "ByteStream.h"
#include "FrameCodec.h"
#include "LineAllowance.h"
#include "OpenStream.h"
#include "RegisterPort.h"
#include "ReplyDecode.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace tessary {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// After a failure the replies still due arrive back to back; a pause of twice the longest frame's
// time on the line (at least kQuiet) means none is left. kDiscardLimit bounds the whole drain.
constexpr milliseconds kQuiet{100};
constexpr std::chrono::seconds kDiscardLimit{3};
// The largest frame on the line.
constexpr int kMaxFrame = frame::kMaxPayload + frame::kOverhead;

// The allowance of a frame of `bytes` bytes (and of `work` the board does before it), in
// milliseconds.
std::string AllowanceText(int bytes, milliseconds work = {}) {
    return std::to_string((allowance::For(bytes) + work).count()) + " ms";
}

constexpr const char* kHungUpText =
    "the line hung up: the board, its adapter or the serial server went away";

// While a wait for the line could be cancelled, the cancel is looked at this often.
constexpr milliseconds kCancelLook{50};

} // namespace

std::string TtyPath(const char* portName) {
    const std::string name = portName != nullptr ? portName : "";
    if (name.find('/') != std::string::npos) {
        return name;
    }
    return "/dev/" + name;
}

SerialLine::SerialLine() = default;
SerialLine::~SerialLine() = default;

bool SerialLine::Initialize() {
    flags_ |= kFlagInitialised;
    return true;
}

bool SerialLine::Open(const char* portName) {
    if ((flags_ & kFlagInitialised) == 0) {
        return Fail(kErrLineNotInitialised);
    }
    if ((flags_ & kFlagOpen) != 0) {
        return Fail(kErrLineAlreadyOpen);
    }
    path_ = TtyPath(portName);
    OpenedStream opened = OpenStream(path_, baud_);
    openFailure_ = opened.failure;
    openErrno_ = opened.osError;
    openProblem_ = std::move(opened.problem);
    if (!opened.stream) {
        return Fail(kErrLineOpenFailed);
    }
    stream_ = std::move(opened.stream);
    flags_ |= kFlagOpen;
    errorCode_ = 0;
    return true;
}

void SerialLine::CloseStream() {
    stream_.reset();
    owed_ = 0;
}

bool SerialLine::Close() {
    if ((flags_ & kFlagInitialised) == 0) {
        return Fail(kErrLineNotInitialised);
    }
    if (!stream_) {
        return Fail(kErrLineNotOpen);
    }
    CloseStream();
    flags_ &= ~kFlagOpen;
    return true;
}

void SerialLine::Reset() {
    CloseStream();
    flags_ = 0;
    errorCode_ = 0;
    openFailure_ = OpenFailure::None;
}

std::string SerialLine::OpenFailureText() const {
    if (openFailure_ == OpenFailure::None) {
        return {};
    }
    if (openFailure_ == OpenFailure::BadNetworkAddress) {
        return path_ + ": " + openProblem_;
    }
    return path_ + ": " + DescribeOpenFailure(openFailure_, openErrno_);
}

// Waits until the line has something to read. A peer that hung up is reported at once, never
// polled again and again until the deadline; a cancel is seen within kCancelLook.
SerialLine::Wait SerialLine::WaitFor(Clock::time_point deadline, const CancelToken& cancel) {
    for (;;) {
        if (cancel.Cancelled()) {
            return Wait::Cancelled;
        }
        const auto now = Clock::now();
        if (now >= deadline) {
            return Wait::TimedOut;
        }
        const auto left =
            std::chrono::ceil<milliseconds>(std::min<Clock::duration>(deadline - now, kCancelLook));
        switch (stream_->WaitReadable(static_cast<int>(left.count()))) {
        case ByteStream::Readiness::Ready:
            return Wait::Ready;
        case ByteStream::Readiness::HungUp:
            return Wait::HungUp;
        case ByteStream::Readiness::Nothing:
            break;
        }
    }
}

int SerialLine::ReadSome(uint8_t* buffer, int count, Clock::time_point deadline,
                         const CancelToken& cancel, Wait& ended) {
    for (;;) {
        const ssize_t n = stream_->Read(buffer, static_cast<size_t>(count));
        if (n > 0) {
            return static_cast<int>(n);
        }
        if (errno == EINTR) {
            continue;
        }
        // Anything but an empty queue is a dead line: the stream has seen its peer go away.
        if (errno != EAGAIN) {
            ended = Wait::HungUp;
            return 0;
        }
        ended = WaitFor(deadline, cancel);
        if (ended != Wait::Ready) {
            return 0;
        }
    }
}

// Reads `wanted` bytes unless the deadline passes, the line dies or the wait is cancelled first;
// returns how many came.
int SerialLine::ReadUntil(uint8_t* buffer, int wanted, Clock::time_point deadline,
                          const CancelToken& cancel, Wait& ended) {
    int got = 0;
    while (got < wanted) {
        const int n = ReadSome(buffer + got, wanted - got, deadline, cancel, ended);
        if (n == 0) {
            break;
        }
        got += n;
    }
    return got;
}

Clock::duration SerialLine::QuietTime() const {
    const auto longestFrame =
        std::chrono::microseconds(int64_t{kMaxFrame} * 10'000'000 / std::max(baud_, 1u));
    return std::max<Clock::duration>(kQuiet, 2 * longestFrame);
}

void SerialLine::DiscardInput() {
    if ((flags_ & kFlagOpen) == 0) {
        return;
    }
    const auto giveUp = Clock::now() + kDiscardLimit;
    uint8_t scratch[kMaxFrame];
    Wait ended = Wait::Ready;
    while (Clock::now() < giveUp &&
           ReadSome(scratch, kMaxFrame, std::min(Clock::now() + QuietTime(), giveUp),
                    CancelToken::Never(), ended) > 0) {
    }
}

bool SerialLine::DropReplies(int count) {
    if ((flags_ & kFlagOpen) == 0) {
        return false;
    }
    const auto giveUp = Clock::now() + kDiscardLimit;
    int frames = owed_ > 0 ? count - 1 : count;
    int left = owed_;
    owed_ = 0;
    uint8_t scratch[kMaxFrame];
    Wait ended = Wait::Ready;
    for (;;) {
        while (left > 0) {
            const int n =
                ReadSome(scratch, std::min(left, kMaxFrame),
                         std::min(Clock::now() + QuietTime(), giveUp), CancelToken::Never(), ended);
            if (n == 0) {
                return false;
            }
            left -= n;
        }
        if (frames <= 0) {
            return true;
        }
        // The length byte of the next frame, then its payload and checksum.
        if (ReadSome(scratch, 1, std::min(Clock::now() + QuietTime(), giveUp), CancelToken::Never(),
                     ended) == 0) {
            return false;
        }
        left = scratch[0] + 1;
        --frames;
    }
}

bool SerialLine::SendFrame(int length, const uint8_t* payload) {
    if ((flags_ & kFlagOpen) == 0) {
        return Fail(kErrLineNotOpen, "the line is not open");
    }
    if (length < 0 || length > requestLimit_ || length > frame::kMaxPayload) {
        return Fail(kErrFrameTooLong,
                    "a request of " + std::to_string(length) + " bytes, more than the board takes");
    }
    uint8_t bytes[frame::kMaxPayload + frame::kOverhead];
    const int size = frame::Encode(payload, length, bytes);
    // The whole frame goes out in one write: the line carries the same bytes as one write per
    // byte would, without a system call for each of them.
    if (!stream_->WriteAll(bytes, static_cast<size_t>(size),
                           allowance::Deadline(Clock::now(), size))) {
        return stream_->HungUp()
                   ? Fail(kErrLineHungUp, kHungUpText)
                   : Fail(kErrWriteIncomplete,
                          "the request could not be sent within " + AllowanceText(size));
    }
    errorCode_ = 0;
    failure_.clear();
    return true;
}

bool SerialLine::FailWait(Wait ended, int32_t timedOut, std::string late) {
    switch (ended) {
    case Wait::HungUp:
        return Fail(kErrLineHungUp, kHungUpText);
    case Wait::Cancelled:
        return Fail(kErrCancelled, "cancelled");
    case Wait::Ready:
    case Wait::TimedOut:
        break;
    }
    return Fail(timedOut, std::move(late));
}

bool SerialLine::ReceiveFrame(int capacity, int& length, uint8_t* buffer, const CancelToken& cancel,
                              milliseconds work) {
    if ((flags_ & kFlagOpen) == 0) {
        return Fail(kErrLineNotOpen, "the line is not open");
    }
    const auto start = Clock::now();
    uint8_t announced = 0;
    Wait ended = Wait::Ready;
    if (ReadUntil(&announced, 1, allowance::Deadline(start, 1) + work, cancel, ended) == 0) {
        return FailWait(ended, kErrNoReply, "no reply within " + AllowanceText(1, work));
    }
    const int size = announced;
    const auto deadline = allowance::Deadline(start, size + frame::kOverhead) + work;
    // The whole frame is read before it is judged: a reply too long for the buffer is read off
    // the line into scratch space and dropped, so the next exchange starts clean.
    uint8_t frameBytes[kMaxFrame];
    frameBytes[0] = announced;
    const int rest = size + 1;
    const int got = ReadUntil(frameBytes + 1, rest, deadline, cancel, ended);
    if (got < rest) {
        if (ended == Wait::Cancelled) {
            owed_ = rest - got;
        }
        return FailWait(ended, got == 0 ? kErrNoReply : kErrReplyCutShort,
                        "reply cut after " + std::to_string(1 + got) + " of " +
                            std::to_string(size + frame::kOverhead) + " bytes (the rest did not " +
                            "come within " + AllowanceText(size + frame::kOverhead, work) + ")");
    }
    // A byte changed on the line fails the checksum instead of reaching the caller as data.
    if (const int32_t refused = reply::CheckFrame(frameBytes, capacity); refused != 0) {
        return Fail(refused, refused == kErrBadChecksum
                                 ? "bad checksum"
                                 : "a reply of " + std::to_string(size) + " bytes, more than the " +
                                       std::to_string(capacity) + " a reply may carry");
    }
    if (size > 0) {
        std::memcpy(buffer, frameBytes + 1, static_cast<size_t>(size));
    }
    length = size;
    failure_.clear();
    return true;
}

} // namespace tessary
