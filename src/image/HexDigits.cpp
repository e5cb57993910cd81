#include "HexDigits.h"

#include <array>
#include <cstdio>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

#if defined(__SSE2__)
// Sixteen digits into eight bytes at once, their sum added to sum; false, and nothing written,
// when one of them is not a digit. A large image is some 45 million digits: one at a time, they
// took longer than the load of the same data from a binary file.
bool DecodeSixteen(const char* text, uint8_t* bytes, uint32_t& sum) {
    const __m128i chars = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text));
    const __m128i folded = _mm_or_si128(chars, _mm_set1_epi8(0x20)); // 'A'-'F' to 'a'-'f'
    // Signed comparisons: a byte of 0x80 or above is negative and neither digit nor letter.
    const __m128i digit = _mm_and_si128(_mm_cmpgt_epi8(chars, _mm_set1_epi8('0' - 1)),
                                        _mm_cmplt_epi8(chars, _mm_set1_epi8('9' + 1)));
    const __m128i letter = _mm_and_si128(_mm_cmpgt_epi8(folded, _mm_set1_epi8('a' - 1)),
                                         _mm_cmplt_epi8(folded, _mm_set1_epi8('f' + 1)));
    if (_mm_movemask_epi8(_mm_or_si128(digit, letter)) != 0xFFFF) {
        return false;
    }
    const __m128i nibbles = _mm_add_epi8(_mm_and_si128(chars, _mm_set1_epi8(0x0F)),
                                         _mm_and_si128(letter, _mm_set1_epi8(9)));
    // Each 16-bit lane holds a digit pair, the first digit in its low byte.
    const __m128i values =
        _mm_or_si128(_mm_slli_epi16(_mm_and_si128(nibbles, _mm_set1_epi16(0x00FF)), 4),
                     _mm_srli_epi16(nibbles, 8));
    const __m128i packed = _mm_packus_epi16(values, _mm_setzero_si128());
    _mm_storel_epi64(reinterpret_cast<__m128i*>(bytes), packed);
    sum += static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_sad_epu8(packed, _mm_setzero_si128())));
    return true;
}
#endif

} // namespace

bool DecodeHexBytes(std::string_view text, uint8_t* bytes, std::size_t count, std::size_t& badAt,
                    uint8_t& sum) {
    uint32_t total = 0;
    std::size_t i = 0;
#if defined(__SSE2__)
    // A group with a bad digit is left to the loop below, which finds the digit.
    while (i + 8 <= count && DecodeSixteen(text.data() + 2 * i, bytes + i, total)) {
        i += 8;
    }
#endif
    for (; i < count; ++i) {
        const uint8_t high = kHexValue[static_cast<unsigned char>(text[2 * i])];
        const uint8_t low = kHexValue[static_cast<unsigned char>(text[2 * i + 1])];
        if (high == kNotHex || low == kNotHex) {
            badAt = high == kNotHex ? 2 * i : 2 * i + 1;
            return false;
        }
        bytes[i] = static_cast<uint8_t>(high << 4 | low);
        total += bytes[i];
    }
    sum = static_cast<uint8_t>(total);
    return true;
}

std::string HexNumber(uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof(text), "0x%llX", static_cast<unsigned long long>(value));
    return text;
}

void AppendHexByte(std::string& out, uint8_t byte) {
    out.push_back(kDigits[byte >> 4]);
    out.push_back(kDigits[byte & 0x0F]);
}

std::string AtLine(int64_t line, const std::string& text) {
    return "line " + std::to_string(line) + ": " + text;
}

} // namespace tessary::image
