#pragma once

#include "FastAnnouncement.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tessary::board {
class SimBoard;
}

namespace tessary::peer {

// The longest identity text a host reads (it keeps 64 bytes with the terminating NUL).
inline constexpr size_t kMaxIdentity = 63;

// The board's side of the register protocol: carries out one request on the simulated board and
// builds the reply payload. A board with fast capabilities announces them at the end of its
// identity, takes requests and sends replies of up to their longest payload, and answers the
// compact read 0x49, and the checksum 0x4A, fill 0x4B and run-length read 0x4C it announces; a
// basic board answers exactly the basic requests.
class RequestHandler {
  public:
    RequestHandler(board::SimBoard& board, std::string identity,
                   std::optional<protocol::FastCapabilities> fast = std::nullopt);

    // False when the request gets no reply: an unknown command, a payload that does not match
    // its command, or an access the board refused.
    bool Handle(const uint8_t* payload, int length, std::vector<uint8_t>& reply);

    // The longest payload a request may carry.
    size_t MaxPayload() const { return maxPayload_; }
    // The identity text as the board sends it, the announcement included.
    const std::string& Identity() const { return identity_; }

  private:
    bool ReadRepeat(uint8_t reg, size_t count, std::vector<uint8_t>& reply);
    bool Checksum(uint8_t reg, size_t count, std::vector<uint8_t>& reply);
    bool Fill(uint8_t reg, uint8_t value, size_t count);
    bool ReadRuns(uint8_t reg, size_t count, std::vector<uint8_t>& reply);

    board::SimBoard& board_;
    std::string identity_;
    // The longest payload taken in a request and sent in a reply.
    size_t maxPayload_;
    bool fast_;
    // What the board computes on its side (x=), nothing for a basic board.
    protocol::FastCapabilities offers_;
    std::vector<uint8_t> scratch_;
};

} // namespace tessary::peer
