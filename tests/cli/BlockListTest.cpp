#include "BlockList.h"

#include <gtest/gtest.h>

namespace tessary::cli {
namespace {

using Indexes = std::vector<int32_t>;

TEST(BlockList, IndexesAndRangesComeOutAscendingWithoutRepeats) {
    EXPECT_EQ(ParseBlockList("0,3-5"), (Indexes{0, 3, 4, 5}));
    EXPECT_EQ(ParseBlockList("6"), (Indexes{6}));
    EXPECT_EQ(ParseBlockList("5-5"), (Indexes{5}));
    EXPECT_EQ(ParseBlockList(" 9 , 2-3, 3 ,0 "), (Indexes{0, 2, 3, 9}));
    EXPECT_EQ(ParseBlockList("120-127"), (Indexes{120, 121, 122, 123, 124, 125, 126, 127}));
}

TEST(BlockList, AnythingElseIsRefused) {
    for (const char* text : {"", " ", ",", "1,", ",1", "1,,2", "3-1", "-1", "1-", "a", "0x3", "1.5",
                             "2 3", "1-2-3", "99999999999", "5000"}) {
        EXPECT_FALSE(ParseBlockList(text).has_value()) << '"' << text << '"';
    }
}

} // namespace
} // namespace tessary::cli
