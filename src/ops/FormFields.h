#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tessary {

class MessageSink;

// What the operation pages' fields hold: a path of up to 259 characters and numbers of up to 31
// (the rest of a longer text is cut off when the field is read).
inline constexpr std::size_t kFileNameMaxChars = 259;
inline constexpr std::size_t kNumberFieldMaxChars = 31;

// The text a field of that many characters yields.
std::string ReadField(const std::string& text, std::size_t maxChars);

// Parses a number field into value; negative numbers are not valid in any of the pages' fields.
// On success the field is given its cleaned text (separators
// removed); on failure the field keeps what the user typed, value is -1, and "Must enter valid
// Decimal or Hex number to specify <what>." is shown under caption (owned by the page, no icon).
bool ParseNumberField(std::string& field, const char* what, const char* caption,
                      MessageSink& messages, int32_t& value);

} // namespace tessary
