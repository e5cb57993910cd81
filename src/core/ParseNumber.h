#pragma once

#include <cstdint>
#include <string>

namespace tessary {

enum class NumberClass { Binary, Decimal, Hexadecimal, Invalid };

// Removes every comma and blank from the NUL-terminated text, in place, and says which notation
// the rest is written in.
NumberClass ClassifyNumber(char* text);

// Decimal, 0x/0X hexadecimal or exactly eight binary digits; commas and blanks are removed from
// the text in place. Returns the value, or -1 when the text is not a valid number (so a typed -1
// is indistinguishable from an invalid entry). Decimal and hexadecimal saturate at the limits of
// a signed 32-bit integer.
int32_t ParseNumber(char* text);

// The same on a string, which is cleaned in place.
int32_t ParseNumber(std::string& text);

} // namespace tessary
