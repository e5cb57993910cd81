// Motorola S-records: the three data widths, the counts, the termination, and the refusals.
#include "ImageReaders.h"
#include "ImageText.h"

#include <gtest/gtest.h>

namespace tessary::image {
namespace {

const std::string kHeader = "S00600004844521B\n";
const std::string kS1 = "S1061234010203AD\n";     // 0x1234: 01 02 03
const std::string kS2 = "S20812FFFE09080706CA\n"; // 0x12FFFE: 09 08 07 06
const std::string kS3 = "S30600A000000554\n";     // 0xA00000: 05
const std::string kCount3 = "S5030003F9\n";
const std::string kEnd32 = "S70500A000005A\n";

TEST(SRecordTest, AllWidthsCountsAndTheEntryAddress) {
    Image image;
    ReadError error;
    ASSERT_TRUE(ReadSRecord(kHeader + kS1 + kS2 + kS3 + kCount3 + kEnd32, image, error))
        << error.text;
    const std::vector<Segment> segments = image.Segments();
    ASSERT_EQ(segments.size(), 3u);
    EXPECT_EQ(segments[0].address, 0x1234u);
    EXPECT_EQ(segments[1].address, 0x12FFFEu);
    EXPECT_EQ(segments[1].data, (std::vector<uint8_t>{9, 8, 7, 6}));
    EXPECT_EQ(segments[2].address, 0xA00000u);
    EXPECT_EQ(image.entryAddress, 0xA00000u);

    ASSERT_TRUE(ReadSRecord(kS2 + "S604000001FA\nS8041234565F\n", image, error)) << error.text;
    EXPECT_EQ(image.entryAddress, 0x123456u);

    // without an entry address a file may end with its count record
    ASSERT_TRUE(ReadSRecord(kHeader + kS1 + kS2 + kS3 + kCount3, image, error)) << error.text;
    EXPECT_FALSE(image.entryAddress);
}

struct RefusalCase {
    const char* name;
    std::string text;
    int64_t line;
    const char* says;
};

class SRecordRefusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(SRecordRefusal, NamesTheLine) {
    Image image;
    ReadError error;
    ASSERT_FALSE(ReadSRecord(GetParam().text, image, error));
    EXPECT_EQ(error.line, GetParam().line);
    EXPECT_EQ(error.text.rfind("line " + std::to_string(GetParam().line) + ": ", 0), 0u)
        << error.text;
    EXPECT_NE(error.text.find(GetParam().says), std::string::npos) << error.text;
}

INSTANTIATE_TEST_SUITE_P(
    Records, SRecordRefusal,
    ::testing::Values(
        RefusalCase{"Checksum", kHeader + "S1061234010203BD\n" + kEnd32, 2,
                    "checksum mismatch: the record has 0xBD, its bytes need 0xAD"},
        RefusalCase{"CutMidRecord", kHeader + kS1 + "S20812FFFE0908", 3, "the line holds 5"},
        RefusalCase{"CutAtALineEnd", kHeader + kS1 + kS2, 4, "ends without a count record"},
        RefusalCase{"UnknownType", kHeader + "S4061234010203AD\n", 2, "unknown record type S4"},
        RefusalCase{"NotARecord", kHeader + "X1061234010203AD\n", 2, "starts with 'S'"},
        RefusalCase{"PastTheAddressSpace", kHeader + "S30700FFFFFF0102F8\n" + kEnd32, 2,
                    "data at 0xFFFFFF to 0x1000000 lies past the last address 0xFFFFFF"},
        RefusalCase{"CountDisagrees", kS1 + kS2 + kS3 + "S5030002FA\n" + kEnd32, 4,
                    "the record count says 2 data records, the file holds 3"},
        RefusalCase{"Contradiction", kS1 + "S104123509AB\n" + kEnd32, 2,
                    "differs from an earlier record"},
        RefusalCase{"TooShortForItsAddress", "S2031234B6\n", 1, "not that of an S2 record"},
        RefusalCase{"AfterTheEnd", kS1 + kEnd32 + kS3, 3, "after the termination record"}),
    [](const ::testing::TestParamInfo<RefusalCase>& test) { return test.param.name; });

TEST(SRecordTest, WriterUsesTheWidthItIsGivenAndCountsItsRecords) {
    Image image;
    std::vector<uint8_t> run(40, 0x5A);
    image.Add(0x2000, run);
    image.Add(0xFFF0, {run.data(), 4});
    const std::string s1 = WriteImageText(image, ImageFormat::SRecord, SRecordWidth::Bits16);
    EXPECT_EQ(s1.substr(0, 11), "S0030000FC\n");
    EXPECT_NE(s1.find("\nS1132000"), std::string::npos);
    EXPECT_NE(s1.find("\nS5030004F8\nS9030000FC\n"), std::string::npos);

    image.entryAddress = 0x2000;
    for (const SRecordWidth width :
         {SRecordWidth::Bits16, SRecordWidth::Bits24, SRecordWidth::Bits32}) {
        Image back;
        ReadError error;
        ASSERT_TRUE(ReadSRecord(WriteImageText(image, ImageFormat::SRecord, width), back, error))
            << error.text;
        EXPECT_EQ(back.Runs(), image.Runs());
        EXPECT_EQ(back.entryAddress, image.entryAddress);
    }
    EXPECT_EQ(NarrowestWidth(0x10000), SRecordWidth::Bits16);
    EXPECT_EQ(NarrowestWidth(0x10001), SRecordWidth::Bits24);
    EXPECT_EQ(NarrowestWidth(0x1000001), SRecordWidth::Bits32);
}

} // namespace
} // namespace tessary::image
