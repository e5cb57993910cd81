#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tessary {

// What the operation pages' fields hold: a path of up to 259 characters and numbers of up to 31
// (the rest of a longer text is cut off when the field is read).
inline constexpr std::size_t kFileNameMaxChars = 259;
inline constexpr std::size_t kNumberFieldMaxChars = 31;

// The text a field of that many characters yields.
std::string ReadField(const std::string& text, std::size_t maxChars);

// Parses a number field. On success the field is given its cleaned text (separators removed) and
// the value is returned; on failure the field keeps what the user typed and -1 is returned.
int32_t ParseNumberField(std::string& field);

} // namespace tessary
