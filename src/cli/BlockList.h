#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace tessary::cli {

// A list of erase-block indexes such as "0,3-5": decimal indexes and ascending ranges, separated
// by commas, blanks allowed around each item. Returns the indexes ascending without repeats, or
// nothing when the text is not such a list.
std::optional<std::vector<int32_t>> ParseBlockList(std::string_view text);

} // namespace tessary::cli
