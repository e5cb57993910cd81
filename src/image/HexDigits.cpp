#include "HexDigits.h"

#include <array>
#include <cstring>

namespace tessary::image {
namespace {

constexpr uint8_t kNotHex = 0xFF;

constexpr std::array<uint8_t, 256> MakeTable() {
    std::array<uint8_t, 256> table{};
    for (auto& value : table) {
        value = kNotHex;
    }
    for (int digit = 0; digit < 10; ++digit) {
        table['0' + digit] = static_cast<uint8_t>(digit);
    }
    for (int digit = 0; digit < 6; ++digit) {
        table['A' + digit] = static_cast<uint8_t>(10 + digit);
        table['a' + digit] = static_cast<uint8_t>(10 + digit);
    }
    return table;
}

constexpr std::array<uint8_t, 256> kHexValue = MakeTable();
constexpr char kDigits[] = "0123456789ABCDEF";

} // namespace

bool DecodeHexBytes(std::string_view text, uint8_t* bytes, std::size_t count, std::size_t& badAt) {
    for (std::size_t i = 0; i < count; ++i) {
        const uint8_t high = kHexValue[static_cast<unsigned char>(text[2 * i])];
        const uint8_t low = kHexValue[static_cast<unsigned char>(text[2 * i + 1])];
        if (high == kNotHex || low == kNotHex) {
            badAt = high == kNotHex ? 2 * i : 2 * i + 1;
            return false;
        }
        bytes[i] = static_cast<uint8_t>(high << 4 | low);
    }
    return true;
}

void AppendHexByte(std::string& out, uint8_t byte) {
    out.push_back(kDigits[byte >> 4]);
    out.push_back(kDigits[byte & 0x0F]);
}

bool LineCursor::Next(std::string_view& line) {
    if (rest_.empty()) {
        return false;
    }
    const void* newline = std::memchr(rest_.data(), '\n', rest_.size());
    const std::size_t length =
        newline != nullptr
            ? static_cast<std::size_t>(static_cast<const char*>(newline) - rest_.data())
            : rest_.size();
    line = rest_.substr(0, length);
    rest_.remove_prefix(newline != nullptr ? length + 1 : length);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) {
        line.remove_suffix(1);
    }
    ++number_;
    return true;
}

std::string AtLine(int64_t line, const std::string& text) {
    return "line " + std::to_string(line) + ": " + text;
}

} // namespace tessary::image
