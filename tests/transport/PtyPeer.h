#pragma once

#include "Terminal.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace tessary::test {

using Bytes = std::vector<uint8_t>;
using std::chrono::milliseconds;

// A pseudo-terminal made for one test: the code under test opens its slave path as a serial line,
// the test plays the board on the master side. The peer keeps a descriptor of the slave open
// itself, so the pair survives the client closing and reopening its line.
class PtyPeer {
  public:
    PtyPeer();
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    const std::string& SlavePath() const { return terminal_.path(); }
    // Bytes for the client to read.
    void Write(const Bytes& bytes);
    // Up to `count` bytes the client sent, waiting at most `timeout` for them.
    Bytes Read(size_t count, milliseconds timeout = milliseconds(2000));
    // One whole frame the client sent (length byte, payload, checksum); empty on time-out.
    Bytes ReadFrame(milliseconds timeout = milliseconds(2000));
    // Everything the client sent until the line has been quiet for `quiet`.
    Bytes Drain(milliseconds quiet = milliseconds(50));

  private:
    peer::Terminal terminal_;
};

// A frame as it goes on the line: the length byte, the payload, the checksum.
Bytes Frame(const Bytes& payload);

} // namespace tessary::test
