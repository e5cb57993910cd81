#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tessary::cli {

// A number typed on the command line. Stricter than the window's fields, because a script's typo
// must not become another address: decimal digits, 0x/0X and hexadecimal digits, 0b/0B and
// binary digits, or exactly eight binary digits (as in the window, 00010000 is 16); commas and
// blanks between digits are ignored. Anything else after the digits, a sign, and values beyond
// 0 to 2147483647 are errors, never cut off or saturated.
struct CliNumber {
    std::optional<int32_t> value;
    // Why the text is no number, when it is none: "is empty", "is not a number", "is negative",
    // "is larger than 2147483647".
    std::string problem;
};

CliNumber ParseCliNumber(std::string_view text);

// The value written as the window's number rules read it back unchanged ("0" or "0x..."), to be
// handed to the operation pages' validation.
std::string PageText(int32_t value);

} // namespace tessary::cli
