#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tessary::image {

// Decodes pairs of hexadecimal digits (either case) into bytes, and adds them up (modulo 256) into
// sum, which the records' checksums are made of; false at the first character that is not a
// digit, whose position goes to badAt. text must hold 2 * count characters.
bool DecodeHexBytes(std::string_view text, uint8_t* bytes, std::size_t count, std::size_t& badAt,
                    uint8_t& sum);

// A number as the messages write addresses: "0x1FFFF".
std::string HexNumber(uint64_t value);

// Appends a byte as two upper-case hexadecimal digits.
void AppendHexByte(std::string& out, uint8_t byte);

// "line 12: " followed by the text.
std::string AtLine(int64_t line, const std::string& text);

} // namespace tessary::image
