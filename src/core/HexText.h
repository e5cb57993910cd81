#pragma once

#include <cstdint>
#include <string>

namespace tessary {

// A number as messages write registers, bytes and addresses: "0x" and at least `digits`
// upper-case hexadecimal digits ("0x06", "0x012000").
std::string HexText(uint32_t value, int digits);

} // namespace tessary
