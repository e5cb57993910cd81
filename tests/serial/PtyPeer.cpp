#include "PtyPeer.h"

#include "FrameCodec.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <unistd.h>

namespace tessary::test {

namespace {

using Clock = std::chrono::steady_clock;

bool WaitReadable(int fd, Clock::time_point deadline) {
    const auto left = std::chrono::ceil<milliseconds>(deadline - Clock::now()).count();
    pollfd entry{fd, POLLIN, 0};
    return left > 0 && poll(&entry, 1, static_cast<int>(left)) > 0 && (entry.revents & POLLIN);
}

} // namespace

PtyPeer::PtyPeer() : terminal_(std::make_unique<peer::Terminal>()) {
    std::string error;
    if (!terminal_->OpenPseudoTerminal(&error)) {
        throw std::runtime_error(error);
    }
    path_ = terminal_->path();
    slaveFd_ = open(path_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
}

PtyPeer::~PtyPeer() {
    if (slaveFd_ >= 0) {
        close(slaveFd_);
    }
}

void PtyPeer::HangUp() {
    terminal_.reset();
}

void PtyPeer::Write(const Bytes& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(terminal_->fd(), bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
        } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
            throw std::runtime_error("write to the pseudo-terminal failed");
        }
    }
}

Bytes PtyPeer::Read(size_t count, milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    Bytes bytes;
    while (bytes.size() < count) {
        uint8_t chunk[256];
        const ssize_t n =
            read(terminal_->fd(), chunk, std::min(sizeof(chunk), count - bytes.size()));
        if (n > 0) {
            bytes.insert(bytes.end(), chunk, chunk + n);
        } else if (!WaitReadable(terminal_->fd(), deadline)) {
            break;
        }
    }
    return bytes;
}

Bytes PtyPeer::ReadFrame(milliseconds timeout) {
    Bytes frame = Read(1, timeout);
    if (frame.empty()) {
        return frame;
    }
    const Bytes rest = Read(frame[0] + 1u, timeout);
    if (rest.size() != frame[0] + 1u) {
        return {};
    }
    frame.insert(frame.end(), rest.begin(), rest.end());
    return frame;
}

Bytes PtyPeer::Drain(milliseconds quiet) {
    Bytes bytes;
    for (;;) {
        const Bytes more = Read(256, quiet);
        if (more.empty()) {
            return bytes;
        }
        bytes.insert(bytes.end(), more.begin(), more.end());
    }
}

Bytes Frame(const Bytes& payload) {
    Bytes bytes(payload.size() + frame::kOverhead);
    frame::Encode(payload.data(), static_cast<int>(payload.size()), bytes.data());
    return bytes;
}

} // namespace tessary::test
