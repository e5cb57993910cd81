#include "SerialLine.h"

#include "FrameCodec.h"
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

Clock::time_point DeadlineFor(Clock::time_point start, int bytes) {
    return start + kTotal + kPerByte * bytes;
}

enum class Wait { Ready, TimedOut, HungUp };

// Waits until the descriptor is ready for `events`. A peer that hung up (or a descriptor in
// error) is reported at once, never polled again and again until the deadline.
Wait WaitFor(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        const auto now = Clock::now();
        if (now >= deadline) {
            return Wait::TimedOut;
        }
        pollfd entry{fd, events, 0};
        const auto left = std::chrono::ceil<milliseconds>(deadline - now).count();
        const int ready = poll(&entry, 1, static_cast<int>(left));
        if (ready < 0 && errno != EINTR) {
            return Wait::HungUp;
        }
        if (ready > 0) {
            if ((entry.revents & events) != 0) {
                return Wait::Ready;
            }
            if ((entry.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
                return Wait::HungUp;
            }
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
    const int fd = ::open(path_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    // One user of the line at a time: another program holding it makes this Open fail as busy.
    const bool usable = fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) == 0 && ConfigureTty(fd);
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

void SerialLine::CloseHandle() {
    if (handle_ >= 0) {
        // Exclusive mode stays on the tty for as long as anyone holds it (a board simulator keeps
        // its pty open): left set, it would turn away every later open by an ordinary user.
        (void)ioctl(handle_, TIOCNXCL);
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
    const auto deadline = DeadlineFor(Clock::now(), count);
    int written = 0;
    while (written < count) {
        const ssize_t n = ::write(handle_, bytes + written, static_cast<size_t>(count - written));
        if (n > 0) {
            written += static_cast<int>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && errno != EAGAIN) {
            return false;
        } else if (WaitFor(handle_, POLLOUT, deadline) != Wait::Ready) {
            return false;
        }
    }
    return true;
}

// Reads `wanted` bytes unless the deadline passes or the line dies first; returns how many came.
int SerialLine::ReadUntil(uint8_t* buffer, int wanted, Clock::time_point deadline) {
    int got = 0;
    bool polledReadable = false;
    while (got < wanted) {
        const ssize_t n = ::read(handle_, buffer + got, static_cast<size_t>(wanted - got));
        if (n > 0) {
            got += static_cast<int>(n);
            polledReadable = false;
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        // A raw tty answers 0 or EAGAIN while its queue is empty. An error, or nothing to read
        // right after poll reported input (a hung-up tty reads as end of file), is a dead line:
        // it ends the read at once.
        if ((n < 0 && errno != EAGAIN) || polledReadable) {
            break;
        }
        if (WaitFor(handle_, POLLIN, deadline) != Wait::Ready) {
            break;
        }
        polledReadable = true;
    }
    return got;
}

bool SerialLine::SendFrame(int length, const uint8_t* payload) {
    if ((flags_ & kFlagOpen) == 0) {
        return Fail(kErrLineNotOpen);
    }
    if (length < 0 || length > frame::kMaxRequestPayload) {
        return Fail(kErrFrameTooLong);
    }
    uint8_t bytes[frame::kMaxRequestPayload + frame::kOverhead];
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
    const auto start = Clock::now();
    uint8_t announced = 0;
    if (ReadUntil(&announced, 1, DeadlineFor(start, 1)) == 0) {
        return Fail(kErrNoReply);
    }
    const int size = announced;
    const auto deadline = DeadlineFor(start, size + frame::kOverhead);
    // The whole frame is read before it is judged: a reply too long for the buffer is read off
    // the line into scratch space and dropped, so the next exchange starts clean.
    uint8_t frameBytes[frame::kMaxPayload + frame::kOverhead];
    frameBytes[0] = announced;
    const int rest = size + 1;
    const int got = ReadUntil(frameBytes + 1, rest, deadline);
    if (got < rest) {
        return Fail(got == 0 ? kErrNoReply : kErrReplyCutShort);
    }
    // A byte changed on the line fails the checksum instead of reaching the caller as data.
    if (const int32_t refused = reply::CheckFrame(frameBytes, capacity); refused != 0) {
        return Fail(refused);
    }
    if (size > 0) {
        std::memcpy(buffer, frameBytes + 1, static_cast<size_t>(size));
    }
    length = size;
    return true;
}

} // namespace tessary
