#include "BlockList.h"

#include <gtest/gtest.h>

#include <string>

namespace tessary::cli {
namespace {

using Indexes = std::vector<int32_t>;

Indexes Parsed(std::string_view text, int32_t blocks = 200) {
    const BlockList list = ParseBlockList(text, blocks);
    EXPECT_EQ(list.problem, BlockList::Problem::None) << text;
    return list.indexes;
}

TEST(BlockList, IndexesAndRangesComeOutAscendingWithoutRepeats) {
    EXPECT_EQ(Parsed("0,3-5"), (Indexes{0, 3, 4, 5}));
    EXPECT_EQ(Parsed("6"), (Indexes{6}));
    EXPECT_EQ(Parsed("5-5"), (Indexes{5}));
    EXPECT_EQ(Parsed(" 9 , 2-3, 3 ,0 "), (Indexes{0, 2, 3, 9}));
    EXPECT_EQ(Parsed("120-127"), (Indexes{120, 121, 122, 123, 124, 125, 126, 127}));
    EXPECT_EQ(Parsed("0-6", 7), (Indexes{0, 1, 2, 3, 4, 5, 6}));
}

TEST(BlockList, AnythingElseIsRefused) {
    for (const char* text : {"", " ", ",", "1,", ",1", "1,,2", "3-1", "-1", "1-", "a", "0x3", "1.5",
                             "2 3", "1-2-3", "99999999999"}) {
        EXPECT_EQ(ParseBlockList(text, 200).problem, BlockList::Problem::NotAList)
            << '"' << text << '"';
    }
}

TEST(BlockList, FirstIndexPastTheTableIsNamed) {
    EXPECT_EQ(ParseBlockList("7", 7).pastTheTable, 7);
    EXPECT_EQ(ParseBlockList("1,0-9", 7).pastTheTable, 7);
    EXPECT_EQ(ParseBlockList("3,5000", 7).pastTheTable, 5000);
    EXPECT_EQ(ParseBlockList("5000", 7).problem, BlockList::Problem::PastTheTable);
    EXPECT_TRUE(ParseBlockList("5000", 7).indexes.empty());
}

// A long list costs no more than the table holds: 20,000 ranges over the whole table give its
// seven blocks once, and a range past it ends the parse at the first item.
TEST(BlockList, LongListsStayWithinTheTable) {
    std::string repeated;
    for (int i = 0; i < 20000; ++i) {
        repeated += "0-6,";
    }
    repeated += "0";
    EXPECT_EQ(Parsed(repeated, 7), (Indexes{0, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(ParseBlockList("0-4095," + repeated, 7).pastTheTable, 7);
}

} // namespace
} // namespace tessary::cli
