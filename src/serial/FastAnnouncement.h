#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The fast protocol a board may announce at the end of its identity text, as the group
// " {fast w=W m=M f=F}": W requests it can hold at once (1..32, decimal), M the longest payload
// it accepts in a request and may send in a reply (65..255, decimal), F its Flash size in bytes
// (hexadecimal, optional), and X the requests it computes on its side (optional; letters, any
// order: c the checksum 0x4A, f the fill 0x4B, r the run-length read 0x4C; letters the host
// does not know are ignored). Keys come in any order, one space apart; unknown keys are ignored.
// An identity that does not end with a well-formed group belongs to a basic board.
namespace tessary::protocol {

inline constexpr int kMinFastWindow = 1;
inline constexpr int kMaxFastWindow = 32;
inline constexpr int kMinFastPayload = 65;
inline constexpr int kMaxFastPayload = 255;

struct FastCapabilities {
    int window = 1;
    int maxPayload = kMinFastPayload;
    std::optional<uint32_t> flashSize;
    // What x= announces.
    bool checksum = false;
    bool fill = false;
    bool runs = false;
};

// The capabilities an identity announces; nothing for a basic board.
std::optional<FastCapabilities> ParseFastAnnouncement(std::string_view identity);

// The group announcing `capabilities`, with its leading space: " {fast w=8 m=255 f=80000 x=cfr}".
std::string FormatFastAnnouncement(const FastCapabilities& capabilities);

} // namespace tessary::protocol
