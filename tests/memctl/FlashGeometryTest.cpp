#include "FlashGeometry.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string_view>

namespace tessary {
namespace {

class FlashGeometryTest : public ::testing::Test {
  protected:
    void Use(int32_t configuration) { configuration_ = configuration; }
    int32_t BlockCount() const { return tessary::BlockCount(configuration_); }
    uint32_t FlashSize() const { return tessary::FlashSize(configuration_); }
    uint32_t BlockAddress(int32_t index) const {
        return tessary::BlockAddress(configuration_, index);
    }
    int32_t BlockContaining(uint32_t address) const {
        return tessary::BlockContaining(configuration_, address);
    }

  private:
    int32_t configuration_ = 0;
};

// Every table starts at 0, ascends, and its last block ends inside the Flash.
TEST_F(FlashGeometryTest, EveryTableIsSoundForEveryConfiguration) {
    for (int32_t configuration : {0, 1, 2, 3, 4, 5, 6, 7, -1}) {
        const FlashGeometry& layout = LayoutFor(configuration);
        ASSERT_FALSE(layout.blockStarts.empty());
        EXPECT_EQ(layout.blockStarts.front(), 0u) << configuration;
        for (size_t i = 1; i < layout.blockStarts.size(); ++i) {
            EXPECT_LT(layout.blockStarts[i - 1], layout.blockStarts[i]) << configuration;
        }
        EXPECT_LT(layout.blockStarts.back(), layout.flashSize) << configuration;
        EXPECT_TRUE(layout.labels.empty() || layout.labels.size() == layout.blockStarts.size());
        // Each label begins with its block's start, as the Erase Flash page shows it.
        for (size_t i = 0; i < layout.labels.size(); ++i) {
            char start[8];
            std::snprintf(start, sizeof start, "%05Xh", layout.blockStarts[i]);
            EXPECT_TRUE(std::string_view(layout.labels[i]).starts_with(start)) << layout.labels[i];
        }
    }
}

TEST_F(FlashGeometryTest, CountsAndSizesPerConfiguration) {
    struct Expect {
        int32_t configuration;
        int32_t count;
        uint32_t size;
    };
    for (const Expect& e : {Expect{0, 7, 0x80000}, Expect{1, 7, 0x80000}, Expect{2, 7, 0x80000},
                            Expect{3, 11, 0x100000}, Expect{4, 7, 0x80000}, Expect{5, 32, 0x400000},
                            Expect{6, 128, 0x1000000}}) {
        Use(e.configuration);
        EXPECT_EQ(BlockCount(), e.count) << e.configuration;
        EXPECT_EQ(FlashSize(), e.size) << e.configuration;
    }
}

TEST_F(FlashGeometryTest, Q0BlockBoundaries) {
    Use(0);
    EXPECT_EQ(BlockContaining(0x77FFF), 3);
    EXPECT_EQ(BlockContaining(0x78000), 4);
    EXPECT_EQ(BlockContaining(0x79FFF), 4);
    EXPECT_EQ(BlockContaining(0x7A000), 5);
    EXPECT_EQ(BlockContaining(0x7FFFF), 6);
    EXPECT_EQ(BlockContaining(0), 0);
    EXPECT_EQ(BlockAddress(6), 0x7C000u);
}

TEST_F(FlashGeometryTest, Q3BlockBoundaries) {
    Use(3);
    EXPECT_EQ(BlockContaining(0xDFFFF), 6);
    EXPECT_EQ(BlockContaining(0xE0000), 7);
    EXPECT_EQ(BlockContaining(0xFFFFF), 10);
    EXPECT_EQ(BlockAddress(10), 0xFC000u);
    EXPECT_EQ(BlockAddress(8), 0xF8000u);
}

TEST_F(FlashGeometryTest, ParvelTables) {
    Use(5);
    EXPECT_EQ(BlockAddress(31), 0x3E0000u);
    EXPECT_EQ(BlockContaining(0x3FFFFF), 31);
    EXPECT_EQ(BlockContaining(0x3F0000), 31);
    Use(6);
    EXPECT_EQ(BlockAddress(127), 0xFE0000u);
    EXPECT_EQ(BlockContaining(0xFFFFFF), 127);
    EXPECT_EQ(BlockContaining(0x21FFF), 1);
}

TEST_F(FlashGeometryTest, Q2StillAnswersThe512KValues) {
    Use(2);
    EXPECT_EQ(BlockCount(), 7);
    EXPECT_EQ(BlockContaining(0x78000), 4);
}

TEST_F(FlashGeometryTest, EraseLabelsFollowTheTables) {
    const FlashGeometry& q0 = LayoutFor(0);
    ASSERT_EQ(q0.labels.size(), 7u);
    EXPECT_STREQ(q0.labels[0], "00000h - 128K Main Block");
    EXPECT_STREQ(q0.labels[3], "60000h - 96K Main Block");
    EXPECT_STREQ(q0.labels[6], "7C000h - 16K Boot Block");
    const FlashGeometry& q3 = LayoutFor(3);
    ASSERT_EQ(q3.labels.size(), 11u);
    EXPECT_STREQ(q3.labels[4], "80000h - 128K Parameter Block");
    EXPECT_STREQ(q3.labels[6], "C0000h - 128K Boot Block");
    EXPECT_STREQ(q3.labels[10], "FC000h - 16K Boot Block");
    EXPECT_TRUE(LayoutFor(5).labels.empty());
    EXPECT_TRUE(LayoutFor(6).labels.empty());
}

} // namespace
} // namespace tessary
