#pragma once

#include "DescriptorStream.h"

#include <memory>

namespace tessary {

struct NetworkLine;

// A TCP connection to a serial server that carries the line's bytes as they are (ser2net's raw
// mode). A connection the server closed is a peer that went away.
class TcpStream : public DescriptorStream {
  public:
    // Nothing, with errno set, when no connection is made within `timeoutMs`.
    static std::unique_ptr<TcpStream> Connect(const NetworkLine& line, int timeoutMs);

  private:
    explicit TcpStream(int fd) : DescriptorStream(fd) {}
    ssize_t Put(const uint8_t* bytes, size_t count) override;
    ssize_t Get(uint8_t* buffer, size_t count) override;
};

} // namespace tessary
