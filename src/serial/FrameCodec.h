#pragma once

#include <cstdint>

// Frames of the serial-line register protocol, the same in both directions: a length byte N,
// N payload bytes, and a checksum byte that makes the N + 2 bytes of the frame add up to 0
// modulo 256. Payload byte 0 is the command code of a request or the reply code of a reply.
namespace tessary::frame {

// The longest request payload the board accepts.
inline constexpr int kMaxRequestPayload = 65;
// The longest reply payload a client stores.
inline constexpr int kReplyCapacity = 65;
// Size of the client's frame buffer: the longest payload with room to spare.
inline constexpr int kBufferSize = 68;
// Bytes a frame adds around its payload: the length byte and the checksum byte.
inline constexpr int kOverhead = 2;
// The longest payload the length byte can announce.
inline constexpr int kMaxPayload = 255;

// The checksum byte of a frame whose payload is `length` bytes at `payload`.
uint8_t Checksum(const uint8_t* payload, int length);

// Writes the whole frame (length byte, payload, checksum) to `out`, which holds length + 2
// bytes, and returns its size. `length` is at most kMaxPayload.
int Encode(const uint8_t* payload, int length, uint8_t* out);

} // namespace tessary::frame
