// Intel HEX: what the reader takes, what it refuses (always naming the line), what the writer
// writes.
#include "ImageReaders.h"
#include "ImageText.h"

#include <gtest/gtest.h>

namespace tessary::image {
namespace {

ReadError Refusal(const std::string& text) {
    Image image;
    ReadError error;
    EXPECT_FALSE(ReadIntelHex(text, image, error)) << text;
    return error;
}

TEST(IntelHexTest, ExtendedAddressesPlaceTheData) {
    const std::string text = ":0400100001020304E2\r\n"
                             "\r\n"
                             ":020000040012E8\r\n"
                             ":02FFFF00AABB9B\r\n" // runs on linearly past 0x12FFFF
                             ":020000021000EC\r\n"
                             ":03FFFF0011223399\r\n" // a segment wraps inside its 64K
                             ":04000005001234565B\r\n"
                             ":00000001FF\r\n";
    Image image;
    ReadError error;
    ASSERT_TRUE(ReadIntelHex(text, image, error)) << error.text;
    const std::vector<Segment> segments = image.Segments();
    ASSERT_EQ(segments.size(), 4u);
    EXPECT_EQ(segments[0].address, 0x10u);
    EXPECT_EQ(segments[0].data, (std::vector<uint8_t>{1, 2, 3, 4}));
    EXPECT_EQ(segments[1].address, 0x10000u); // 0x1000 * 16 + wrapped offset 0
    EXPECT_EQ(segments[1].data, (std::vector<uint8_t>{0x22, 0x33}));
    EXPECT_EQ(segments[2].address, 0x1FFFFu);
    EXPECT_EQ(segments[2].data, (std::vector<uint8_t>{0x11}));
    EXPECT_EQ(segments[3].address, 0x12FFFFu);
    EXPECT_EQ(segments[3].data, (std::vector<uint8_t>{0xAA, 0xBB}));
    EXPECT_EQ(image.entryAddress, 0x123456u);
}

TEST(IntelHexTest, SegmentStartAddressIsKeptAsTheEntry) {
    Image image;
    ReadError error;
    ASSERT_TRUE(ReadIntelHex(":0400000312340010A3\n:00000001FF\n", image, error)) << error.text;
    EXPECT_EQ(image.entryAddress, 0x12340u + 0x10u);
    EXPECT_TRUE(image.Empty());
}

struct RefusalCase {
    const char* name;
    std::string text;
    int64_t line;
    const char* says;
};

class IntelHexRefusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(IntelHexRefusal, NamesTheLine) {
    const ReadError error = Refusal(GetParam().text);
    EXPECT_EQ(error.line, GetParam().line);
    EXPECT_EQ(error.text.rfind("line " + std::to_string(GetParam().line) + ": ", 0), 0u)
        << error.text;
    EXPECT_NE(error.text.find(GetParam().says), std::string::npos) << error.text;
}

INSTANTIATE_TEST_SUITE_P(
    Records, IntelHexRefusal,
    ::testing::Values(
        RefusalCase{"Checksum", ":0400100001020304E2\n:0400140005060708CB\n:00000001FF\n", 2,
                    "checksum mismatch: the record has 0xCB, its bytes need 0xCE"},
        RefusalCase{"CutMidRecord", ":0400100001020304E2\n:04001400050607", 2,
                    "says it holds 4 data bytes, the line holds 2"},
        RefusalCase{"CutAtALineEnd", ":0400100001020304E2\n\n", 2, "ends without the end-of-file"},
        RefusalCase{"Empty", "", 1, "no Intel HEX record"},
        RefusalCase{"LengthDisagrees", ":0500100001020304E1\n:00000001FF\n", 1,
                    "says it holds 5 data bytes, the line holds 4"},
        RefusalCase{"UnknownType", ":0400100601020304DC\n:00000001FF\n", 1,
                    "unknown record type 0x06"},
        RefusalCase{"NotHex", ":04001000010203G4E2\n", 1, "'G' is not a hexadecimal digit"},
        RefusalCase{"NoStartCode", "\n0400100001020304E2\n", 2, "starts with ':'"},
        RefusalCase{"PastTheAddressSpace", ":020000040100F9\n:0100000055AA\n:00000001FF\n", 2,
                    "data at 0x1000000 to 0x1000000 lies past the last address 0xFFFFFF"},
        RefusalCase{"EndsPastTheAddressSpace", ":0200000400FFFB\n:02FFFF0055AA01\n:00000001FF\n", 2,
                    "lies past the last address 0xFFFFFF"},
        RefusalCase{"Contradiction", ":0400100001020304E2\n:0100120009E4\n:00000001FF\n", 2,
                    "data at 0x12 to 0x12 differs from an earlier record"},
        RefusalCase{"WrongSizeOfAnAddressRecord", ":03000004000100F8\n:00000001FF\n", 1,
                    "a type 0x04 record holds 2 data bytes, this one 3"},
        RefusalCase{"AfterTheEnd", ":00000001FF\n:0400100001020304E2\n", 2,
                    "after the end-of-file record"}),
    [](const ::testing::TestParamInfo<RefusalCase>& test) { return test.param.name; });

TEST(IntelHexTest, RepeatedRecordWithTheSameBytesIsTaken) {
    Image image;
    ReadError error;
    ASSERT_TRUE(ReadIntelHex(":0400100001020304E2\n:0100120003EA\n:00000001FF\n", image, error))
        << error.text;
    EXPECT_EQ(image.ByteCount(), 4u);
}

TEST(IntelHexTest, WriterSplitsAtEvery64KAndReadsBackTheSame) {
    Image image;
    std::vector<uint8_t> run(40);
    for (std::size_t i = 0; i < run.size(); ++i) {
        run[i] = static_cast<uint8_t>(i * 7);
    }
    image.Add(0x0FFF0, run);              // crosses from the first 64K into the second
    image.Add(0xA50000, {run.data(), 3}); // a segment far above
    image.entryAddress = 0xA50000;
    const std::string text = WriteImageText(image, ImageFormat::IntelHex);
    EXPECT_EQ(text.substr(0, 44), ":10FFF00000070E151C232A31383F464D545B6269B9\n");
    EXPECT_NE(text.find(":020000040001F9\n"), std::string::npos);
    EXPECT_NE(text.find(":0200000400A555\n"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 12), ":00000001FF\n");

    Image back;
    ReadError error;
    ASSERT_TRUE(ReadIntelHex(text, back, error)) << error.text;
    EXPECT_EQ(back.Runs(), image.Runs());
    EXPECT_EQ(back.entryAddress, image.entryAddress);
}

} // namespace
} // namespace tessary::image
