#include "DescriptorStream.h"

#include <cerrno>
#include <chrono>
#include <poll.h>
#include <unistd.h>
#include <utility>

namespace tessary {

DescriptorStream::~DescriptorStream() {
    ::close(fd_);
}

bool DescriptorStream::WriteAll(const uint8_t* bytes, size_t count, Clock::time_point deadline) {
    size_t written = 0;
    while (written < count) {
        const ssize_t n = Put(bytes + written, count - written);
        if (n > 0) {
            written += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno != EAGAIN) {
            // A hung-up tty answers EIO, a closed connection EPIPE or ECONNRESET.
            hungUp_ = hungUp_ || errno == EIO || errno == EPIPE || errno == ECONNRESET;
            return false;
        }
        const auto now = Clock::now();
        if (now >= deadline) {
            errno = ETIMEDOUT;
            return false;
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now);
        if (Poll(POLLOUT, static_cast<int>(left.count())) == Readiness::HungUp) {
            errno = EPIPE;
            return false;
        }
    }
    return true;
}

ssize_t DescriptorStream::Read(uint8_t* buffer, size_t count) {
    const ssize_t n = Get(buffer, count);
    if (n < 0 && errno == EINTR) {
        return n;
    }
    const bool polledReadable = std::exchange(readable_, false);
    if (n > 0) {
        return n;
    }
    if (n < 0 && errno != EAGAIN) {
        hungUp_ = true;
        return n;
    }
    if (polledReadable) {
        hungUp_ = true;
        errno = EIO;
        return -1;
    }
    errno = EAGAIN;
    return -1;
}

ByteStream::Readiness DescriptorStream::WaitReadable(int timeoutMs) {
    const Readiness ready = Poll(POLLIN, timeoutMs);
    readable_ = ready == Readiness::Ready;
    return ready;
}

ByteStream::Readiness DescriptorStream::Poll(short events, int timeoutMs) {
    pollfd entry{fd_, events, 0};
    const int ready = poll(&entry, 1, timeoutMs);
    if (ready > 0 && (entry.revents & events) != 0) {
        return Readiness::Ready;
    }
    if ((ready < 0 && errno != EINTR) ||
        (ready > 0 && (entry.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0)) {
        hungUp_ = true;
        return Readiness::HungUp;
    }
    return Readiness::Nothing;
}

} // namespace tessary
