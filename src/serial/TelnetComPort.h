#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tessary {

// The client's side of a Telnet connection with COM-PORT-CONTROL (RFC 2217), as ser2net and
// terminal servers offer it: the session opens with binary transmission both ways and the port
// set to the baud rate, 8 data bits, no parity, 1 stop bit and no flow control; every 0xFF data
// byte travels as IAC IAC, both ways. Whatever the server sends is split into data bytes and
// Telnet commands; option requests are answered, notifications are dropped.
class TelnetComPort {
  public:
    // What the client sends first; the options it asks for count as agreed from then on, so
    // that the server's consent is not answered again.
    std::vector<uint8_t> Open(uint32_t baud);
    // Appends `count` data bytes to `out`, each 0xFF doubled.
    static void Escape(const uint8_t* data, size_t count, std::vector<uint8_t>& out);

    // Takes bytes from the server: its data bytes are appended to `data`, the answers it is owed
    // to `answers`. Commands may be split anywhere between calls.
    void Take(const uint8_t* bytes, size_t count, std::vector<uint8_t>& data,
              std::vector<uint8_t>& answers);

  private:
    enum class State { Data, Command, Option, Sub, SubCommand };

    void Negotiate(uint8_t verb, uint8_t option, std::vector<uint8_t>& answers);

    State state_ = State::Data;
    uint8_t verb_ = 0;
    // Options in force on each side, by option number (only the first 64 are ever agreed).
    uint64_t ours_ = 0;
    uint64_t theirs_ = 0;
};

} // namespace tessary
