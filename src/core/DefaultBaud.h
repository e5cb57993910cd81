// The rate of a serial line to a board when nothing names another: the board's, the program's and
// the library's alike.
#pragma once

#include <cstdint>

namespace tessary {

inline constexpr uint32_t kDefaultBaud = 115200;

} // namespace tessary
