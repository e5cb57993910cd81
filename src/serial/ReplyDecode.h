#pragma once

#include "RegisterPort.h"

#include <cstdint>

// What SerialPort makes of a reply's payload, apart from the line: each function returns 0 and
// delivers the reply's data, or returns the error code of a reply it must not deliver, leaving
// the caller's output untouched. `payload` holds the `length` bytes the frame carried.
namespace tessary::reply {

// The frame (length byte, payload, checksum; the length byte's count of payload bytes follows
// it) is whole: 0, kErrReplyTooLong when its payload exceeds `capacity`, or kErrBadChecksum.
int32_t CheckFrame(const uint8_t* frameBytes, int capacity);

// Payload byte 0 is `expected`; an empty reply carries no code at all (kErrWrongReply).
int32_t CheckCode(const uint8_t* payload, int length, uint8_t expected);

// 0x82 text...: at most capacity - 1 characters and a NUL; nothing stored when capacity <= 0.
int32_t TakeIdentity(const uint8_t* payload, int length, int capacity, char* text);

// 0x83 xx value: byte 1 is not examined.
int32_t TakeRegister(const uint8_t* payload, int length, uint8_t& value);

// 0x85 values...: at least `count` values.
int32_t TakeRepeatValues(const uint8_t* payload, int length, int32_t count, uint8_t* data);

// 0x84 reg value...: at least `count` pairs, copied over the caller's pairs.
int32_t TakeSetPairs(const uint8_t* payload, int length, int32_t count, RegisterPair* pairs);

// 0x86 c0 c1 c2 c3: the CRC, least significant byte first.
int32_t TakeChecksum(const uint8_t* payload, int length, uint32_t& crc);

} // namespace tessary::reply
