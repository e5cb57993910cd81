#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tessary::peer {

// What goes wrong with a reply, for tests that need a board misbehaving on the line.
enum class FaultKind {
    None,
    NoReply,     // the request is taken and never answered
    CutShort,    // only the first cutAfter bytes of the reply frame go out
    WrongCode,   // the reply carries reply code 0x80
    BadChecksum, // the reply's checksum byte is wrong
    Stall,       // cutAfter bytes, a pause of stallMs, then the rest
    Dribble,     // one byte at a time, stallMs apart
    FlipByte,    // the last payload byte arrives changed, the checksum as for the true reply
    HangUp,      // the request is taken, the replies before it go out, and the board hangs up
    WrongCrc,    // a checksum reply's CRC has one bit changed, the frame's checksum as for it
};

std::optional<FaultKind> ParseFaultKind(std::string_view text);

struct FaultPlan {
    FaultKind kind = FaultKind::None;
    // 1-based number of the first request whose reply the fault hits (WrongCrc: of the first
    // checksum reply, counting those only).
    uint64_t at = 1;
    // How many requests (checksum replies) it hits; 0 = every one from `at` on.
    uint64_t count = 0;
    uint32_t cutAfter = 1;
    uint32_t stallMs = 2000;

    // The fault that hits the reply numbered `number` (1-based) as the plan counts them; 0 is a
    // reply it does not count, which no fault hits.
    FaultKind For(uint64_t number) const;
};

} // namespace tessary::peer
