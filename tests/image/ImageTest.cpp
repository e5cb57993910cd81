// An image as a set of address ranges: runs merge when they touch, repeats must agree.
#include "Image.h"

#include <gtest/gtest.h>

namespace tessary::image {
namespace {

std::vector<uint8_t> Bytes(std::initializer_list<uint8_t> bytes) {
    return bytes;
}

TEST(ImageTest, RunsMergeWhenTheyTouchAndStayApartAcrossGaps) {
    Image image;
    EXPECT_EQ(image.Add(0x20, Bytes({5, 6})), Image::AddResult::Added);
    EXPECT_EQ(image.Add(0x10, Bytes({1, 2})), Image::AddResult::Added);
    EXPECT_EQ(image.Add(0x12, Bytes({3, 4})), Image::AddResult::Added); // touches 0x10 run
    EXPECT_EQ(image.Add(0x14, Bytes({})), Image::AddResult::Added);
    ASSERT_EQ(image.Segments().size(), 2u);
    EXPECT_EQ(image.Segments()[0].address, 0x10u);
    EXPECT_EQ(image.Segments()[0].data, Bytes({1, 2, 3, 4}));
    EXPECT_EQ(image.Lowest(), 0x10u);
    EXPECT_EQ(image.End(), 0x22u);
    EXPECT_EQ(image.ByteCount(), 6u);

    // a run that fills the gap joins all three
    EXPECT_EQ(image.Add(0x14, std::vector<uint8_t>(12, 9)), Image::AddResult::Added);
    ASSERT_EQ(image.Segments().size(), 1u);
    EXPECT_EQ(image.Segments()[0].data.size(), 0x12u);
    EXPECT_EQ(image.Segments()[0].data[0x10], 5);
}

TEST(ImageTest, RepeatedBytesMustAgree) {
    Image image;
    image.Add(0x100, Bytes({1, 2, 3, 4}));
    image.Add(0x200, Bytes({7}));
    EXPECT_EQ(image.Add(0x102, Bytes({3, 4, 5})), Image::AddResult::Added);
    EXPECT_EQ(image.Add(0xFF, Bytes({0, 1})), Image::AddResult::Added);
    EXPECT_EQ(image.Add(0x101, Bytes({2, 9})), Image::AddResult::Conflict);
    // an overlap spanning two runs, with a difference in the second, changes nothing
    EXPECT_EQ(image.Add(0x104, std::vector<uint8_t>(0x100, 5)), Image::AddResult::Conflict);
    ASSERT_EQ(image.Segments().size(), 2u);
    EXPECT_EQ(image.Segments()[0].address, 0xFFu);
    EXPECT_EQ(image.Segments()[0].data, Bytes({0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(image.Segments()[1].data, Bytes({7}));
}

} // namespace
} // namespace tessary::image
