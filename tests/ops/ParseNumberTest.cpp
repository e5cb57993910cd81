#include "ParseNumber.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace tessary {
namespace {

struct Case {
    const char* text;
    int32_t value;
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << '"' << c.text << "\" -> " << c.value;
}

class ParseNumberValues : public ::testing::TestWithParam<Case> {};

TEST_P(ParseNumberValues, ConvertsAsTheFieldsExpect) {
    std::string text = GetParam().text;
    EXPECT_EQ(ParseNumber(text), GetParam().value) << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Notations, ParseNumberValues,
    ::testing::Values(
        // separators vanish, whole runs of them
        Case{"1,024", 1024}, Case{"1 024", 1024}, Case{" ,1,,0 2 4, ", 1024},
        // hexadecimal
        Case{"0x20000", 131072}, Case{"0X2a", 42}, Case{"0x00", 0}, Case{"0X00", 0},
        Case{"0x0", -1}, Case{"0x000", -1}, Case{"0x", -1}, Case{"0xG", -1},
        // exactly eight binary digits
        Case{"10000000", 128}, Case{"00000011", 3}, Case{"00000000", 0}, Case{"11111111", 255},
        // eight characters that are not all binary
        Case{"12345678", 12345678}, Case{"1234567a", 1234567}, Case{"1a234567", -1},
        Case{"0000000a", -1}, Case{"-1234567", -1},
        // decimal and its zero rule
        Case{"0", 0}, Case{"00", -1}, Case{"", -1}, Case{"abc", -1}, Case{"12abc", 12},
        Case{"-5", -5}, Case{"-1", -1}, Case{"-123456", -123456}, Case{"1000000", 1000000},
        // saturation at the signed 32-bit limits
        Case{"0xFFFFFFFF", 2147483647}, Case{"4294967295", 2147483647},
        Case{"-99999999999", INT32_MIN}));

TEST(ClassifyNumber, RemovesSeparatorsInPlaceAndKeepsOtherWhiteSpace) {
    char text[32] = "1, 0 2,4";
    EXPECT_EQ(ClassifyNumber(text), NumberClass::Decimal);
    EXPECT_STREQ(text, "1024");

    char tabbed[32] = "1\t024";
    ClassifyNumber(tabbed);
    EXPECT_STREQ(tabbed, "1\t024");
}

TEST(ClassifyNumber, TellsTheNotations) {
    char binary[] = "0101 0101";
    EXPECT_EQ(ClassifyNumber(binary), NumberClass::Binary);
    char hex[] = "0x1";
    EXPECT_EQ(ClassifyNumber(hex), NumberClass::Hexadecimal);
    char seven[] = "0101010";
    EXPECT_EQ(ClassifyNumber(seven), NumberClass::Decimal);
    char invalid[] = "01x10101";
    EXPECT_EQ(ClassifyNumber(invalid), NumberClass::Invalid);
}

TEST(ParseNumber, StringOverloadShrinksToTheCleanedText) {
    std::string text = "8,192";
    EXPECT_EQ(ParseNumber(text), 8192);
    EXPECT_EQ(text, "8192");
    std::string blanks = "   ";
    EXPECT_EQ(ParseNumber(blanks), -1);
    EXPECT_EQ(blanks, "");
}

} // namespace
} // namespace tessary
