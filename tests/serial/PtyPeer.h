#pragma once

#include "Terminal.h"

#include <chrono>
#include <cstdint>
#include <memory>
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
    ~PtyPeer();

    const std::string& SlavePath() const { return path_; }
    // The board's end goes away, as when the board process dies: the client's line hangs up.
    void HangUp();
    // A descriptor of the slave side the peer holds, for looking at the tty's own state.
    int SlaveFd() const { return slaveFd_; }
    // Bytes for the client to read.
    void Write(const Bytes& bytes);
    // Up to `count` bytes the client sent, waiting at most `timeout` for them.
    Bytes Read(size_t count, milliseconds timeout = milliseconds(2000));
    // One whole frame the client sent (length byte, payload, checksum); empty on time-out.
    Bytes ReadFrame(milliseconds timeout = milliseconds(2000));
    // Everything the client sent until the line has been quiet for `quiet`.
    Bytes Drain(milliseconds quiet = milliseconds(50));

  private:
    std::unique_ptr<peer::Terminal> terminal_;
    std::string path_;
    int slaveFd_ = -1;
};

// A frame as it goes on the line: the length byte, the payload, the checksum.
Bytes Frame(const Bytes& payload);

} // namespace tessary::test
