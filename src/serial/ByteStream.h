#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <sys/types.h>

namespace tessary {

// The bytes of the serial line to a board, both ways, whatever carries them: a tty, a raw TCP
// connection to a serial server or a Telnet session with one. Its maker opens it; destroying it
// closes it. The line above it sees the board's bytes alone, never how they travel.
class ByteStream {
  public:
    using Clock = std::chrono::steady_clock;

    // How a wait for something to read ended.
    enum class Readiness { Ready, Nothing, HungUp };

    virtual ~ByteStream() = default;

    // Sends all `count` bytes before `deadline`. False when the time ran out or the stream
    // failed (HungUp says whether its peer went away).
    virtual bool WriteAll(const uint8_t* bytes, size_t count, Clock::time_point deadline) = 0;
    // Like read(2) on a non-blocking descriptor, of the board's bytes alone: how many came, or -1
    // with errno EAGAIN when none has arrived, EINTR to be tried again, anything else when the
    // stream is dead (HungUp is true from then on).
    virtual ssize_t Read(uint8_t* buffer, size_t count) = 0;
    // Waits at most `timeoutMs` for something to read: Ready at once when bytes wait to be read
    // already; Nothing when the time ran out; HungUp when the peer went away.
    virtual Readiness WaitReadable(int timeoutMs) = 0;
    // True once the stream learnt that its peer went away: the board, its adapter or the server.
    virtual bool HungUp() const = 0;
};

} // namespace tessary
