#include "CliNumber.h"
#include "ParseNumber.h"

#include <gtest/gtest.h>

namespace tessary::cli {
namespace {

TEST(CliNumber, NotationsTheWindowAcceptsAndBinaryWithItsPrefix) {
    EXPECT_EQ(ParseCliNumber("4096").value, 4096);
    EXPECT_EQ(ParseCliNumber("1,024").value, 1024);
    EXPECT_EQ(ParseCliNumber("1 024").value, 1024);
    EXPECT_EQ(ParseCliNumber("0x2a").value, 42);
    EXPECT_EQ(ParseCliNumber("0X2A").value, 42);
    EXPECT_EQ(ParseCliNumber("00010000").value, 16); // eight binary digits, as in the window
    EXPECT_EQ(ParseCliNumber("0b1010").value, 10);
    EXPECT_EQ(ParseCliNumber("0B11111111111").value, 2047);
    EXPECT_EQ(ParseCliNumber("0").value, 0);
    EXPECT_EQ(ParseCliNumber("00").value, 0);
    EXPECT_EQ(ParseCliNumber("0x0").value, 0);
    EXPECT_EQ(ParseCliNumber("2147483647").value, 2147483647);
    EXPECT_EQ(ParseCliNumber("0x7FFFFFFF").value, 2147483647);
}

TEST(CliNumber, NothingIsCutOffOrSaturated) {
    EXPECT_EQ(ParseCliNumber("").problem, "is empty");
    for (const char* text : {"12abc", "0x10g", "1.5", " ", "0x", "0b", "0b2", "+5", "abc", "1e6",
                             "0x1 0x2", "1234567a"}) {
        const CliNumber number = ParseCliNumber(text);
        EXPECT_FALSE(number.value) << text;
        EXPECT_EQ(number.problem, "is not a number") << text;
    }
    for (const char* text : {"2147483648", "0xFFFFFFFF", "4294967295", "99999999999",
                             "0b100000000000000000000000000000000"}) {
        EXPECT_EQ(ParseCliNumber(text).problem, "is larger than 2147483647") << text;
    }
    EXPECT_EQ(ParseCliNumber("-5").problem, "is negative");
    EXPECT_EQ(ParseCliNumber("-0x10").problem, "is negative");
    // Trailing text after a huge number is still no number at all.
    EXPECT_EQ(ParseCliNumber("99999999999x").problem, "is not a number");
}

// The text handed on to the pages' validation means the same value under the window's rules,
// also where a decimal text would not (10000000 is binary 128 there).
TEST(CliNumber, PageTextReadsBackTheSame) {
    for (const int32_t value : {0, 1, 128, 10000000, 11111111, 0x7FFFFFFF}) {
        std::string text = PageText(value);
        EXPECT_EQ(ParseNumber(text), value) << text;
    }
}

} // namespace
} // namespace tessary::cli
