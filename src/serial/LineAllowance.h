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

} // namespace allowance

} // namespace tessary
