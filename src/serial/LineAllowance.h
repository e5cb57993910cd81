#pragma once

#include <chrono>

namespace tessary {

// A frame must cross the line whole within kTotal plus kPerByte for every byte of it, counted
// from the moment its sender starts: a board that dribbles its bytes cannot stretch a wait by
// sending one now and then. Replies and writes get the same allowance.
namespace allowance {

constexpr std::chrono::milliseconds kTotal{1000};
constexpr std::chrono::milliseconds kPerByte{10};

// The allowance of `bytes` bytes.
constexpr std::chrono::milliseconds For(long bytes) {
    return kTotal + kPerByte * bytes;
}

// When `bytes` bytes begun at `start` must be through.
inline std::chrono::steady_clock::time_point Deadline(std::chrono::steady_clock::time_point start,
                                                      long bytes) {
    return start + For(bytes);
}

// A request the board carries out over many bytes of its memory before it answers (a checksum,
// a fill, a run-length read) adds kBoardPerByte for each of them to its reply's allowance: the
// worst a board's read path takes a byte, a serial NOR Flash read (8 clocks a byte, plus its
// command and address once a stream) at an SCK of 1.5 MHz or more with room to spare. The host
// asks for a block at a time (128 KB at most: 1.05 s more).
constexpr std::chrono::microseconds kBoardPerByte{8};

// What a request the board carries out over `bytes` bytes adds to its reply's allowance.
constexpr std::chrono::milliseconds ForBoardWork(long bytes) {
    return std::chrono::ceil<std::chrono::milliseconds>(kBoardPerByte * bytes);
}

} // namespace allowance

} // namespace tessary
