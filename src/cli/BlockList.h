#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace tessary::cli {

// A list of erase-block indexes such as "0,3-5": decimal indexes and ascending ranges, separated
// by commas, blanks allowed around each item.
struct BlockList {
    enum class Problem { None, NotAList, PastTheTable };
    // Ascending, without repeats; empty unless problem is None.
    std::vector<int32_t> indexes;
    Problem problem = Problem::None;
    // With PastTheTable: the first index found that the table does not have.
    int32_t pastTheTable = -1;
};

// Parses the list for a table of blockCount blocks. An index past the table ends the parse at
// once, so that the work and memory never exceed what the table holds, whatever the text.
BlockList ParseBlockList(std::string_view text, int32_t blockCount);

} // namespace tessary::cli
