#pragma once

#include "FaultPlan.h"
#include "Interrupt.h"
#include "RequestHandler.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tessary::peer {

struct PeerSettings {
    std::string identity = "Tessary simulated board";
    // Bytes go over the line no faster than a line of this many baud (10 bits a byte) carries
    // them, in both directions; 0 = as fast as the terminal takes them.
    uint32_t baud = 0;
    FaultPlan fault;
    // Every request and reply on stderr.
    bool verbose = false;
};

// Answers request frames arriving on a terminal, one reply each, until SIGINT or SIGTERM.
// Frames with a wrong checksum, and broken frames that stop arriving for half a second, are
// dropped unanswered.
class BoardPeer {
  public:
    BoardPeer(int fd, board::SimBoard& board, const PeerSettings& settings, Interrupt& interrupt);

    // True when a signal ended it, false when the terminal failed.
    bool Run();

  private:
    bool TakeInput();
    bool Answer(const std::vector<uint8_t>& frame);
    bool Send(const uint8_t* bytes, size_t count);
    bool Dribble(const std::vector<uint8_t>& bytes);
    void WriteAll(const uint8_t* bytes, size_t count);
    void Log(const char* direction, const uint8_t* bytes, size_t count) const;

    int fd_;
    RequestHandler handler_;
    PeerSettings settings_;
    Interrupt& interrupt_;
    Clock::duration byteTime_{};
    Clock::time_point lineFree_{};
    std::vector<uint8_t> pending_;
    Clock::time_point pendingSince_{};
    std::vector<uint8_t> reply_;
    uint64_t requests_ = 0;
};

} // namespace tessary::peer
