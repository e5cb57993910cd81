#pragma once

#include "FastAnnouncement.h"
#include "FaultPlan.h"
#include "Interrupt.h"
#include "RequestHandler.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace tessary::peer {

struct PeerSettings {
    std::string identity = "Tessary simulated board";
    // Bytes go over the line no faster than a line of this many baud (10 bits a byte) carries
    // them, each direction on its own (the line is full duplex); 0 = as fast as the terminal
    // takes them.
    uint32_t baud = 0;
    // Every reply reaches the host this long after the board sent it, as behind a USB adapter
    // that holds what it received until its latency timer runs out.
    uint32_t latencyMs = 0;
    // Bytes the board's receiver holds while the board is busy sending a reply; bytes past them
    // are lost. 0 = no limit.
    size_t rxBuffer = 0;
    // What the board announces at the end of its identity; none = a basic board.
    std::optional<protocol::FastCapabilities> fast;
    FaultPlan fault;
    // Every request and reply on stderr.
    bool verbose = false;
};

// Answers request frames arriving on a terminal, one reply each, in order, until SIGINT or
// SIGTERM. The board takes up one request at a time and is busy until its reply has left; what
// arrives meanwhile waits in the receiver. A frame with a wrong checksum, a length byte no request
// has (0, or past the longest payload) and a broken frame that stops arriving for half a second
// are dropped unanswered, and so is everything after them until the line has been quiet for a
// moment; a receiver that overflows loses the frame it was receiving and what follows the same
// way. A host whose bytes are damaged or too many sees missing replies, never a wrong write.
class BoardPeer {
  public:
    BoardPeer(int fd, board::SimBoard& board, const PeerSettings& settings, Interrupt& interrupt);

    // True when a signal ended it or the board hung up as its fault plan asked (its line closes
    // when the process ends), false when the terminal failed.
    bool Run();

  private:
    struct Received {
        uint8_t value;
        Clock::time_point at; // when its last bit is on the board's side of the line
    };
    struct Outgoing {
        Clock::time_point due; // when the host can read it
        std::vector<uint8_t> bytes;
    };

    bool TakeInput();
    void Receive(uint8_t value, Clock::time_point now);
    size_t CompleteBytes() const;
    void Advance(Clock::time_point until);
    void Resynchronise(Clock::time_point last);
    // False when the frame's checksum is wrong.
    bool Answer(const std::vector<uint8_t>& frame, Clock::time_point start);
    bool LengthInRange(uint8_t length) const;
    uint64_t FaultNumber();
    bool AfterQuiet(Clock::time_point at, Clock::time_point previous) const;
    void Transmit(Clock::time_point start, std::vector<uint8_t> bytes, FaultKind fault);
    void Deliver(Clock::time_point now);
    void DropBrokenFrame(Clock::time_point now);
    Clock::time_point NextEvent() const;
    void WriteAll(const uint8_t* bytes, size_t count);
    void Log(const char* direction, const uint8_t* bytes, size_t count) const;

    int fd_;
    RequestHandler handler_;
    PeerSettings settings_;
    Interrupt& interrupt_;
    Clock::duration byteTime_{};
    // When the last byte received finished arriving.
    Clock::time_point lastArrival_{};
    // When the board has sent its last reply and takes up the next request.
    Clock::time_point engineFree_{};
    // Overflowed or after a line error: input is dropped until the line goes quiet.
    bool discarding_ = false;
    std::deque<Received> received_;
    std::deque<Outgoing> outbox_;
    std::vector<uint8_t> reply_;
    uint64_t requests_ = 0;
    uint64_t checksumReplies_ = 0;
    // A hang-up fault hit: the board leaves once its earlier replies have gone out.
    bool hangingUp_ = false;
};

} // namespace tessary::peer
