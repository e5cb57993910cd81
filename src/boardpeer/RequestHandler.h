#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tessary::board {
class SimBoard;
}

namespace tessary::peer {

// The board's side of the register protocol: carries out one request on the simulated board and
// builds the reply payload.
class RequestHandler {
  public:
    RequestHandler(board::SimBoard& board, std::string identity);

    // False when the request gets no reply: an unknown command, a payload that does not match
    // its command, or an access the board refused.
    bool Handle(const uint8_t* payload, int length, std::vector<uint8_t>& reply);

  private:
    board::SimBoard& board_;
    std::string identity_;
    std::vector<uint8_t> scratch_;
};

} // namespace tessary::peer
