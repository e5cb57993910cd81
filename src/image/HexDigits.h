#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tessary::image {

// Decodes pairs of hexadecimal digits (either case) into bytes; false at the first character
// that is not a digit, whose position goes to badAt. text must hold 2 * count characters.
bool DecodeHexBytes(std::string_view text, uint8_t* bytes, std::size_t count, std::size_t& badAt);

// Appends a byte as two upper-case hexadecimal digits.
void AppendHexByte(std::string& out, uint8_t byte);

// A text file's lines, one after the other, without their line ends ("\n" or "\r\n") and without
// trailing blanks, counted from 1.
class LineCursor {
  public:
    explicit LineCursor(std::string_view text) : rest_(text) {}
    bool Next(std::string_view& line);
    int64_t Number() const { return number_; }

  private:
    std::string_view rest_;
    int64_t number_ = 0;
};

// "line 12: " followed by the text.
std::string AtLine(int64_t line, const std::string& text);

} // namespace tessary::image
