#pragma once

#include "ByteStream.h"
#include "TcpStream.h"
#include "TelnetComPort.h"

#include <memory>
#include <vector>

namespace tessary {

// A Telnet session with COM-PORT-CONTROL over a TCP connection to a serial server: it asks the
// server for the rate and the line format, escapes the data it sends, takes the server's
// commands out of what arrives and answers them. Bytes taken off the connection but not yet read
// make the stream readable without a poll.
class TelnetStream : public ByteStream {
  public:
    // Nothing, with errno set, when the session's opening cannot be sent.
    static std::unique_ptr<TelnetStream> Open(std::unique_ptr<TcpStream> connection, uint32_t baud);

    bool WriteAll(const uint8_t* bytes, size_t count, Clock::time_point deadline) override;
    ssize_t Read(uint8_t* buffer, size_t count) override;
    Readiness WaitReadable(int timeoutMs) override;
    bool HungUp() const override { return failed_ || connection_->HungUp(); }

  private:
    explicit TelnetStream(std::unique_ptr<TcpStream> connection)
        : connection_(std::move(connection)) {}

    std::unique_ptr<TcpStream> connection_;
    TelnetComPort telnet_;
    // Data bytes taken off the connection; those before decodedAt_ have been read.
    std::vector<uint8_t> decoded_;
    size_t decodedAt_ = 0;
    // The server's commands could not be answered.
    bool failed_ = false;
};

} // namespace tessary
