#include "SerialLine.h"

#include "FrameCodec.h"
#include "NetworkLine.h"
#include "RegisterPort.h"
#include "ReplyDecode.h"
#include "TtyConfig.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

namespace tessary {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// An exchange's reply must arrive whole within kTotal plus kPerByte for every byte of its
// frame, counted from the moment the host starts waiting for it: a board that dribbles its bytes
// cannot stretch the wait by sending one now and then. Writes get the same allowance.
constexpr milliseconds kTotal{1000};
constexpr milliseconds kPerByte{10};
// How long a network line may take to accept the connection.
constexpr int kConnectTimeoutMs = 3000;
// After a failure the replies still due arrive back to back; a pause of twice the longest frame's
// time on the line (at least kQuiet) means none is left. kDiscardLimit bounds the whole drain.
constexpr milliseconds kQuiet{100};
constexpr std::chrono::seconds kDiscardLimit{3};
// The largest frame on the line.
constexpr int kMaxFrame = frame::kMaxPayload + frame::kOverhead;

Clock::time_point DeadlineFor(Clock::time_point start, int bytes) {
    return start + kTotal + kPerByte * bytes;
}

// The allowance of a frame of `bytes` bytes, in milliseconds.
std::string AllowanceText(int bytes) {
    return std::to_string((kTotal + kPerByte * bytes).count()) + " ms";
}

constexpr const char* kHungUpText =
    "the line hung up: the board, its adapter or the serial server went away";

// While a wait for the line could be cancelled, the cancel is looked at this often.
constexpr milliseconds kCancelLook{50};

OpenFailure Classify(int osError) {
    switch (osError) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case ENOTDIR:
        return OpenFailure::NoSuchDevice;
    case EACCES:
    case EPERM:
    case EROFS:
        return OpenFailure::PermissionDenied;
    case EBUSY:
    case EWOULDBLOCK:
        return OpenFailure::Busy;
    case ENOTTY:
    case EISDIR:
        return OpenFailure::NotASerialDevice;
    default:
        return OpenFailure::Other;
    }
}

OpenFailure ClassifyNetwork(int osError) {
    switch (osError) {
    case ECONNREFUSED:
        return OpenFailure::ConnectionRefused;
    case EHOSTUNREACH:
    case ENETUNREACH:
    case ETIMEDOUT:
        return OpenFailure::Unreachable;
    default:
        return OpenFailure::Other;
    }
}

} // namespace

std::string TtyPath(const char* portName) {
    const std::string name = portName != nullptr ? portName : "";
    if (name.find('/') != std::string::npos) {
        return name;
    }
    return "/dev/" + name;
}

std::string DescribeOpenFailure(OpenFailure failure, int osError) {
    switch (failure) {
    case OpenFailure::None:
        return {};
    case OpenFailure::NoSuchDevice:
        return "no such device";
    case OpenFailure::PermissionDenied:
        return "permission denied; the user may need to be a member of the dialout group";
    case OpenFailure::Busy:
        return "device busy; another program is using it";
    case OpenFailure::NotASerialDevice:
        return "not a serial device";
    case OpenFailure::ConnectionRefused:
        return "connection refused: nothing accepts connections there; is the serial server "
               "(ser2net) running, and on that port?";
    case OpenFailure::Unreachable:
        return std::string("cannot reach the server (") + std::strerror(osError) + ")";
    case OpenFailure::BadNetworkAddress:
        return "not a network line";
    case OpenFailure::Other:
        break;
    }
    return std::strerror(osError);
}

SerialLine::~SerialLine() {
    CloseHandle();
}

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
    openFailure_ = OpenFailure::None;
    if (const auto network = ParseNetworkLine(path_, openProblem_);
        network || !openProblem_.empty()) {
        return OpenNetwork(network);
    }
    const int fd = ::open(path_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    // One user of the line at a time: another program holding it makes this Open fail as busy.
    const bool usable = fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) == 0 && ConfigureTty(fd, baud_);
    if (!usable) {
        openErrno_ = errno;
        openFailure_ = Classify(openErrno_);
        if (fd >= 0) {
            ::close(fd);
        }
        return Fail(kErrLineOpenFailed);
    }
    (void)ioctl(fd, TIOCEXCL);
    // Bytes that reached the line before it was ours belong to no request of ours.
    tcflush(fd, TCIFLUSH);
    handle_ = fd;
    flags_ |= kFlagOpen;
    errorCode_ = 0;
    return true;
}

bool SerialLine::OpenNetwork(const std::optional<NetworkLine>& network) {
    const int fd = network ? ConnectNetworkLine(*network, kConnectTimeoutMs) : -1;
    if (fd < 0) {
        openErrno_ = errno;
        openFailure_ = network ? ClassifyNetwork(openErrno_) : OpenFailure::BadNetworkAddress;
        return Fail(kErrLineOpenFailed);
    }
    handle_ = fd;
    socket_ = true;
    flags_ |= kFlagOpen;
    errorCode_ = 0;
    if (network->kind == NetworkLine::Kind::Rfc2217) {
        telnet_.emplace();
        const std::vector<uint8_t> opening = telnet_->Open(baud_);
        if (!WriteRaw(opening.data(), opening.size())) {
            openErrno_ = errno;
            openFailure_ = OpenFailure::Other;
            CloseHandle();
            flags_ &= ~kFlagOpen;
            return Fail(kErrLineOpenFailed);
        }
    }
    return true;
}

void SerialLine::CloseHandle() {
    if (handle_ >= 0) {
        // Exclusive mode stays on the tty for as long as anyone holds it (a board simulator keeps
        // its pty open): left set, it would turn away every later open by an ordinary user.
        if (!socket_) {
            (void)ioctl(handle_, TIOCNXCL);
        }
        ::close(handle_);
        handle_ = -1;
    }
    socket_ = false;
    hungUp_ = false;
    owed_ = 0;
    telnet_.reset();
    decoded_.clear();
    decodedAt_ = 0;
}

bool SerialLine::Close() {
    if ((flags_ & kFlagInitialised) == 0) {
        return Fail(kErrLineNotInitialised);
    }
    if (handle_ < 0) {
        return Fail(kErrLineNotOpen);
    }
    CloseHandle();
    flags_ &= ~kFlagOpen;
    return true;
}

void SerialLine::Reset() {
    CloseHandle();
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

bool SerialLine::WriteAll(const uint8_t* bytes, int count) {
    if (!telnet_) {
        return WriteRaw(bytes, static_cast<size_t>(count));
    }
    std::vector<uint8_t> escaped;
    TelnetComPort::Escape(bytes, static_cast<size_t>(count), escaped);
    return WriteRaw(escaped.data(), escaped.size());
}

bool SerialLine::WriteRaw(const uint8_t* bytes, size_t count) {
    const auto deadline = DeadlineFor(Clock::now(), static_cast<int>(count));
    size_t written = 0;
    while (written < count) {
        // A server that closed the connection is an error here, never a SIGPIPE.
        const ssize_t n = socket_ ? ::send(handle_, bytes + written, count - written, MSG_NOSIGNAL)
                                  : ::write(handle_, bytes + written, count - written);
        if (n > 0) {
            written += static_cast<size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && errno != EAGAIN) {
            // A hung-up tty answers EIO, a closed connection EPIPE or ECONNRESET.
            hungUp_ = hungUp_ || errno == EIO || errno == EPIPE || errno == ECONNRESET;
            return false;
        } else if (WaitFor(POLLOUT, deadline, CancelToken::Never()) != Wait::Ready) {
            return false;
        }
    }
    return true;
}

// Waits until the line is ready for `events`. A peer that hung up (or a descriptor in error) is
// reported at once, never polled again and again until the deadline.
SerialLine::Wait SerialLine::WaitFor(short events, Clock::time_point deadline,
                                     const CancelToken& cancel) {
    for (;;) {
        if (cancel.Cancelled()) {
            return Wait::Cancelled;
        }
        const auto now = Clock::now();
        if (now >= deadline) {
            return Wait::TimedOut;
        }
        pollfd entry{handle_, events, 0};
        const auto left =
            std::chrono::ceil<milliseconds>(std::min<Clock::duration>(deadline - now, kCancelLook));
        const int ready = poll(&entry, 1, static_cast<int>(left.count()));
        if (ready > 0 && (entry.revents & events) != 0) {
            return Wait::Ready;
        }
        if ((ready < 0 && errno != EINTR) ||
            (ready > 0 && (entry.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0)) {
            hungUp_ = true;
            return Wait::HungUp;
        }
    }
}

int SerialLine::ReadSome(uint8_t* buffer, int count, Clock::time_point deadline,
                         const CancelToken& cancel, Wait& ended) {
    bool polledReadable = false;
    for (;;) {
        const ssize_t n = ReadData(buffer, static_cast<size_t>(count));
        if (n > 0) {
            return static_cast<int>(n);
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        // A raw tty answers 0 or EAGAIN while its queue is empty. An error, or nothing to read
        // right after poll reported input, is a dead line: a hung-up tty reads as end of file
        // and polls readable for ever. A Telnet line may poll readable for commands alone.
        if ((n < 0 && errno != EAGAIN) || (polledReadable && !telnet_)) {
            hungUp_ = true;
            ended = Wait::HungUp;
            return 0;
        }
        ended = WaitFor(POLLIN, deadline, cancel);
        if (ended != Wait::Ready) {
            return 0;
        }
        polledReadable = true;
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

ssize_t SerialLine::ReadData(uint8_t* buffer, size_t count) {
    if (!telnet_) {
        const ssize_t n = ::read(handle_, buffer, count);
        if (n == 0 && socket_) {
            errno = ECONNRESET; // the server closed the connection
            return -1;
        }
        return n;
    }
    while (decodedAt_ == decoded_.size()) {
        decoded_.clear();
        decodedAt_ = 0;
        uint8_t raw[512];
        const ssize_t n = ::read(handle_, raw, sizeof(raw));
        if (n == 0) {
            errno = ECONNRESET;
            return -1;
        }
        if (n < 0) {
            return n;
        }
        std::vector<uint8_t> answers;
        telnet_->Take(raw, static_cast<size_t>(n), decoded_, answers);
        if (!answers.empty() && !WriteRaw(answers.data(), answers.size())) {
            return -1;
        }
    }
    const size_t n = std::min(count, decoded_.size() - decodedAt_);
    std::memcpy(buffer, decoded_.data() + decodedAt_, n);
    decodedAt_ += n;
    return static_cast<ssize_t>(n);
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
    if (!WriteAll(bytes, size)) {
        return hungUp_ ? Fail(kErrLineHungUp, kHungUpText)
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

bool SerialLine::ReceiveFrame(int capacity, int& length, uint8_t* buffer,
                              const CancelToken& cancel) {
    if ((flags_ & kFlagOpen) == 0) {
        return Fail(kErrLineNotOpen, "the line is not open");
    }
    const auto start = Clock::now();
    uint8_t announced = 0;
    Wait ended = Wait::Ready;
    if (ReadUntil(&announced, 1, DeadlineFor(start, 1), cancel, ended) == 0) {
        return FailWait(ended, kErrNoReply, "no reply within " + AllowanceText(1));
    }
    const int size = announced;
    const auto deadline = DeadlineFor(start, size + frame::kOverhead);
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
                            "come within " + AllowanceText(size + frame::kOverhead) + ")");
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
