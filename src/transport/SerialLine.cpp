#include "SerialLine.h"

#include "FrameCodec.h"
#include "NetworkLine.h"
#include "RegisterPort.h"
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

// A read waits kTotal plus kPerByte for every byte it asks for; once bytes have started to
// arrive, a gap of kInterval ends it early with what it has. Writes get the same allowance.
constexpr milliseconds kTotal{1000};
constexpr milliseconds kPerByte{10};
constexpr milliseconds kInterval{10};
// How long a network line may take to accept the connection.
constexpr int kConnectTimeoutMs = 3000;
// After a failure the replies still due arrive back to back; a pause of twice the longest frame's
// time on the line (at least kQuiet) means none is left. kDiscardLimit bounds the whole drain.
constexpr milliseconds kQuiet{100};
constexpr std::chrono::seconds kDiscardLimit{3};

Clock::time_point DeadlineFor(int bytes) {
    return Clock::now() + kTotal + kPerByte * bytes;
}

// Waits until the descriptor is ready for `events`; false on time-out, hang-up or error.
bool WaitFor(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        const auto now = Clock::now();
        if (now >= deadline) {
            return false;
        }
        pollfd entry{fd, events, 0};
        const auto left = std::chrono::ceil<milliseconds>(deadline - now).count();
        const int ready = poll(&entry, 1, static_cast<int>(left));
        if (ready < 0 && errno != EINTR) {
            return false;
        }
        if (ready > 0) {
            return (entry.revents & events) != 0;
        }
    }
}

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
        return "not a network line: write tcp://HOST:PORT or rfc2217://HOST:PORT";
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
    bool malformed = false;
    if (const auto network = ParseNetworkLine(path_, malformed); network || malformed) {
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
    socket_ = false;
    telnet_.reset();
    decoded_.clear();
    decodedAt_ = 0;
    if (handle_ >= 0) {
        ::close(handle_);
        handle_ = -1;
    }
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
    const auto deadline = DeadlineFor(static_cast<int>(count));
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
            return false;
        } else if (!WaitFor(handle_, POLLOUT, deadline)) {
            return false;
        }
    }
    return true;
}

// Reads up to `wanted` bytes; returns how many arrived before the time-outs ended the read.
int SerialLine::ReadSome(uint8_t* buffer, int wanted) {
    const auto deadline = DeadlineFor(wanted);
    int got = 0;
    while (got < wanted) {
        const ssize_t n = ReadData(buffer + got, static_cast<size_t>(wanted - got));
        if (n > 0) {
            got += static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        // A raw tty answers 0 or EAGAIN while its queue is empty; anything else is a dead line.
        if (n < 0 && errno != EAGAIN) {
            break;
        }
        const auto wait = got == 0 ? deadline : std::min(deadline, Clock::now() + kInterval);
        if (!WaitFor(handle_, POLLIN, wait)) {
            break;
        }
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

void SerialLine::DiscardInput() {
    if ((flags_ & kFlagOpen) == 0) {
        return;
    }
    const auto longestFrame = std::chrono::microseconds(
        int64_t{frame::kMaxPayload + frame::kOverhead} * 10'000'000 / std::max(baud_, 1u));
    const auto quiet = std::max<Clock::duration>(kQuiet, 2 * longestFrame);
    const auto giveUp = Clock::now() + kDiscardLimit;
    uint8_t scratch[frame::kMaxPayload + frame::kOverhead];
    while (Clock::now() < giveUp) {
        const auto deadline = Clock::now() + quiet;
        bool any = false;
        for (;;) {
            const ssize_t n = ReadData(scratch, sizeof(scratch));
            if (n > 0) {
                any = true;
                continue;
            }
            if ((n < 0 && errno != EAGAIN && errno != EINTR) ||
                !WaitFor(handle_, POLLIN, deadline)) {
                break;
            }
        }
        if (!any) {
            return;
        }
    }
}

void SerialLine::Drain(int count) {
    uint8_t scratch[frame::kMaxPayload + frame::kOverhead];
    while (count > 0) {
        const int n = ReadSome(scratch, std::min(count, static_cast<int>(sizeof(scratch))));
        if (n == 0) {
            return;
        }
        count -= n;
    }
}

bool SerialLine::SendFrame(int length, const uint8_t* payload) {
    if ((flags_ & kFlagOpen) == 0) {
        return Fail(kErrLineNotOpen);
    }
    if (length < 0 || length > requestLimit_ || length > frame::kMaxPayload) {
        return Fail(kErrFrameTooLong);
    }
    uint8_t bytes[frame::kMaxPayload + frame::kOverhead];
    const int size = frame::Encode(payload, length, bytes);
    // The whole frame goes out in one write: the line carries the same bytes as one write per
    // byte would, without a system call for each of them.
    errorCode_ = kErrWriteIncomplete;
    if (!WriteAll(bytes, size)) {
        return false;
    }
    errorCode_ = 0;
    return true;
}

bool SerialLine::ReceiveFrame(int capacity, int& length, uint8_t* buffer) {
    if ((flags_ & kFlagOpen) == 0) {
        return Fail(kErrLineNotOpen);
    }
    uint8_t announced = 0;
    if (ReadSome(&announced, 1) == 0) {
        return Fail(kErrNoReply);
    }
    const int size = announced;
    if (size > capacity) {
        Drain(size + 1);
        return Fail(kErrReplyTooLong);
    }
    int got = 0;
    while (got < size) {
        const int n = ReadSome(buffer + got, size - got);
        if (n == 0) {
            return Fail(got == 0 ? kErrNoReply : kErrReplyCutShort);
        }
        got += n;
    }
    // The checksum is read to complete the frame; a reply is never refused for it.
    uint8_t checksum = 0;
    if (ReadSome(&checksum, 1) == 0) {
        return Fail(kErrNoReply);
    }
    length = size;
    return true;
}

} // namespace tessary
