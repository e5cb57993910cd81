// The pieces a record's text is read with: hexadecimal digits decoded many at a time, and lines
// read piece by piece through a small buffer. Each must give exactly what the plain way gives.
#include "HexDigits.h"
#include "LineSource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace tessary::image {
namespace {

int DigitValue(char c) {
    const std::string digits = "0123456789abcdef";
    const std::size_t at = digits.find(static_cast<char>(std::tolower(c)));
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

TEST(HexDigitsTest, EveryLengthEveryCaseAndEveryBadPositionAsOneDigitAtATime) {
    std::mt19937 random(7);
    const std::string digits = "0123456789abcdefABCDEF";
    for (std::size_t count = 0; count <= 40; ++count) {
        std::string text(2 * count, '0');
        for (char& c : text) {
            c = digits[random() % digits.size()];
        }
        std::vector<uint8_t> bytes(count + 1, 0xEE);
        std::size_t badAt = 99;
        uint8_t sum = 0;
        ASSERT_TRUE(DecodeHexBytes(text, bytes.data(), count, badAt, sum)) << text;
        unsigned expectedSum = 0;
        for (std::size_t i = 0; i < count; ++i) {
            const auto expected =
                static_cast<uint8_t>(DigitValue(text[2 * i]) << 4 | DigitValue(text[2 * i + 1]));
            EXPECT_EQ(bytes[i], expected) << text << " byte " << i;
            expectedSum += expected;
        }
        EXPECT_EQ(sum, static_cast<uint8_t>(expectedSum)) << text;
        EXPECT_EQ(bytes[count], 0xEE) << "wrote past the bytes";

        // Characters next to the digits in the code table, and ones above 0x7F.
        for (const char bad : {'/', ':', '@', 'G', '`', 'g', ' ', '\x80', '\xC6', '\xFF'}) {
            for (std::size_t at = 0; at < text.size(); at += 1 + at / 9) {
                std::string wrong = text;
                wrong[at] = bad;
                ASSERT_FALSE(DecodeHexBytes(wrong, bytes.data(), count, badAt, sum));
                EXPECT_EQ(badAt, at) << wrong;
            }
        }
    }
}

std::vector<std::pair<int64_t, std::string>> AllLines(LineSource& lines) {
    std::vector<std::pair<int64_t, std::string>> all;
    std::string_view line;
    while (lines.Next(line)) {
        all.emplace_back(lines.Number(), std::string(line));
    }
    return all;
}

TEST(ChunkedLinesTest, GivesTheLinesOfTheWholeTextHoweverTheReadsFall) {
    const std::string longLine(100, 'x');
    const std::vector<std::string> texts = {
        "",
        "\n",
        "one",
        "one\n",
        "one\r\ntwo\r\n\r\nfour  \t\n",
        "\n\nthree\nfour",
        ":00000001FF\r\n" + longLine + "\n" + longLine + "\r\n" + longLine,
        "a\rb\n",
    };
    for (const std::string& text : texts) {
        LineCursor whole(text);
        const auto expected = AllLines(whole);
        for (const std::size_t bufferSize : {1, 2, 7, 64, 4096}) {
            for (const std::size_t readSize : {1, 3, 1000}) {
                std::size_t at = 0;
                ChunkedLines chunked(
                    [&](char* buffer, std::size_t size) {
                        const std::size_t piece = std::min({size, readSize, text.size() - at});
                        std::memcpy(buffer, text.data() + at, piece);
                        at += piece;
                        return static_cast<std::ptrdiff_t>(piece);
                    },
                    bufferSize);
                EXPECT_EQ(AllLines(chunked), expected)
                    << "buffer " << bufferSize << ", reads of " << readSize << ": " << text;
            }
        }
    }
}

TEST(ChunkedLinesTest, AReadErrorEndsTheLinesAfterWhatWasRead) {
    bool first = true;
    ChunkedLines lines(
        [&](char* buffer, std::size_t) -> std::ptrdiff_t {
            if (!first) {
                return -1;
            }
            first = false;
            std::memcpy(buffer, "one\ntw", 6);
            return 6;
        },
        64);
    std::string_view line;
    ASSERT_TRUE(lines.Next(line));
    EXPECT_EQ(line, "one");
    ASSERT_TRUE(lines.Next(line)); // what came before the error, as the end of the text
    EXPECT_EQ(line, "tw");
    EXPECT_FALSE(lines.Next(line));
    EXPECT_FALSE(lines.Next(line));
}

} // namespace
} // namespace tessary::image
