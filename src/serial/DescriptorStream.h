#pragma once

#include "ByteStream.h"

namespace tessary {

// A byte stream over one non-blocking descriptor it owns (a tty or a socket): writes wait for
// room until their deadline, reads never wait, waits poll the descriptor. Readable by poll and
// then nothing to read is a peer that went away: a hung-up tty polls readable for ever and reads
// as end of file, and must not be polled again and again until a deadline.
class DescriptorStream : public ByteStream {
  public:
    ~DescriptorStream() override;
    DescriptorStream(const DescriptorStream&) = delete;
    DescriptorStream& operator=(const DescriptorStream&) = delete;

    bool WriteAll(const uint8_t* bytes, size_t count, Clock::time_point deadline) override;
    ssize_t Read(uint8_t* buffer, size_t count) override;
    Readiness WaitReadable(int timeoutMs) override;
    bool HungUp() const override { return hungUp_; }

  protected:
    explicit DescriptorStream(int fd) : fd_(fd) {}
    int Descriptor() const { return fd_; }

  private:
    // One write(2) of the descriptor's kind, never a SIGPIPE.
    virtual ssize_t Put(const uint8_t* bytes, size_t count) = 0;
    // One read(2) of the descriptor's kind: 0 or -1 with EAGAIN while nothing has arrived, -1 with
    // another errno when the peer is gone.
    virtual ssize_t Get(uint8_t* buffer, size_t count) = 0;
    // Waits for `events`; a peer that hung up (or a descriptor in error) is reported at once.
    Readiness Poll(short events, int timeoutMs);

    int fd_;
    bool hungUp_ = false;
    // The last poll reported input that no read has taken yet.
    bool readable_ = false;
};

} // namespace tessary
