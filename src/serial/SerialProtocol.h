#pragma once

#include "FastAnnouncement.h"

#include <cstdint>
#include <optional>

// Requests and replies of the serial-line register protocol (payload byte 0 of a frame).
//
//   request                          payload                                  reply
//   0x40 probe                       40                                       81
//   0x41 identity                    41                                       82 text...
//   0x43 write one register          43 reg value                             81
//   0x44 write bytes to a register   44 reg data...            (<= 63 bytes)  81
//   0x45 write register list         45 reg value reg value... (<= 32 pairs)  81
//   0x46 read one register           46 reg                                   83 xx value
//   0x47 read bytes from a register  47 count reg 00... (count zeros, <= 62)  85 values...
//   0x48 read register list          48 reg reg...             (<= 32 regs)   84 reg value...
//   0x49 compact read (fast boards)  49 reg count              (count <= M-1) 85 values...
//   0x4A checksum (x=c)              4A reg n0 n1 n2           (count, 24 bits) 86 c0 c1 c2 c3
//   0x4B fill (x=f)                  4B reg value n0 n1 n2     (count, 24 bits) 81
//   0x4C run-length read (x=r)       4C reg n0 n1 n2           (count, 24 bits) 87 items...
namespace tessary::protocol {

enum Command : uint8_t {
    kCmdProbe = 0x40,
    kCmdGetIdentity = 0x41,
    kCmdPutReg = 0x43,
    kCmdPutRegRepeat = 0x44,
    kCmdPutRegSet = 0x45,
    kCmdGetReg = 0x46,
    kCmdGetRegRepeat = 0x47,
    kCmdGetRegSet = 0x48,
    // Fast boards only: payload 49 reg count, answered like 0x47.
    kCmdGetRegCompact = 0x49,
    // Boards announcing x=c: the CRC-32 of count bytes read through a register (the address
    // advances as for reads), least significant byte first.
    kCmdChecksum = 0x4A,
    // Boards announcing x=f: one value written count times through a register.
    kCmdFill = 0x4B,
    // Boards announcing x=r: a read of up to count bytes whose reply codes runs (RunLength.h);
    // the board stops before a byte its reply could not hold.
    kCmdReadRuns = 0x4C,
};

enum Reply : uint8_t {
    kReplyDone = 0x81,
    kReplyIdentity = 0x82,
    kReplyRegister = 0x83,
    kReplySetValues = 0x84,
    kReplyRepeatValues = 0x85,
    kReplyChecksum = 0x86,
    kReplyRuns = 0x87,
};

// The count of 0x4A, 0x4B and 0x4C: 24 bits, least significant byte first, 1 to kMaxBoardCount.
inline constexpr int32_t kMaxBoardCount = 0xFFFFFF;

// What one frame of the basic protocol carries at most.
inline constexpr int32_t kMaxRepeatWrite = 63;
inline constexpr int32_t kMaxRepeatRead = 62;
inline constexpr int32_t kMaxSetPairs = 32;
inline constexpr int kBasicPayload = 65;

// What one frame carries with a board: the basic limits, or those of a fast board's longest
// payload M (M - 2 data bytes written, M - 1 values read, (M - 1) / 2 pairs either way).
struct FrameLimits {
    int payload;
    int32_t repeatWrite;
    int32_t repeatRead;
    int32_t setPairs;
    bool compactRead;
};

inline FrameLimits LimitsFor(const std::optional<FastCapabilities>& fast) {
    if (!fast) {
        return {kBasicPayload, kMaxRepeatWrite, kMaxRepeatRead, kMaxSetPairs, false};
    }
    const int m = fast->maxPayload;
    return {m, m - 2, m - 1, (m - 1) / 2, true};
}

} // namespace tessary::protocol
