// Which format a file is: its first record decides, the extension only when there is none.
#include "ImageFormat.h"

#include <gtest/gtest.h>

namespace tessary::image {
namespace {

TEST(FormatTest, FirstRecordDecidesWhateverTheExtension) {
    EXPECT_EQ(DetectFormat("\r\n  :0400100001020304E2\r\n:00000001FF", "fw.bin"),
              ImageFormat::IntelHex);
    EXPECT_EQ(DetectFormat("S00600004844521B\nS9030000FC\n", "image.dat"), ImageFormat::SRecord);
    EXPECT_EQ(DetectFormat(":00000001FF", "noextension"), ImageFormat::IntelHex);
}

TEST(FormatTest, WithoutAWellFormedFirstRecordTheExtensionDecides) {
    // a text-format name goes to its reader, which then says what is wrong with line 1
    EXPECT_EQ(DetectFormat(":0400100001020304E3\n", "fw.HEX"), ImageFormat::IntelHex);
    EXPECT_EQ(DetectFormat("garbage", "fw.s19"), ImageFormat::SRecord);
    // a binary that starts with ':' or 'S' stays binary
    EXPECT_EQ(DetectFormat(":\x01\x02 binary", "fw.bin"), ImageFormat::Binary);
    EXPECT_EQ(DetectFormat("S1 not a record", "fw"), ImageFormat::Binary);
    EXPECT_EQ(DetectFormat("", "dir.hex/file"), ImageFormat::Binary);
}

TEST(FormatTest, NamesAndExtensions) {
    EXPECT_EQ(FormatNamed("ihex"), ImageFormat::IntelHex);
    EXPECT_EQ(FormatNamed("srec"), ImageFormat::SRecord);
    EXPECT_EQ(FormatNamed("bin"), ImageFormat::Binary);
    EXPECT_FALSE(FormatNamed("hex"));
    for (const char* name : {"a.hex", "a.IHEX"}) {
        EXPECT_EQ(FormatOfExtension(name), ImageFormat::IntelHex) << name;
    }
    for (const char* name : {"a.srec", "a.s19", "a.S28", "a.s37", "a.mot"}) {
        EXPECT_EQ(FormatOfExtension(name), ImageFormat::SRecord) << name;
    }
    EXPECT_FALSE(FormatOfExtension("a.txt"));
    EXPECT_FALSE(FormatOfExtension("hex"));
    EXPECT_EQ(WidthOfExtension("a.s19"), SRecordWidth::Bits16);
    EXPECT_EQ(WidthOfExtension("a.s28"), SRecordWidth::Bits24);
    EXPECT_EQ(WidthOfExtension("a.s37"), SRecordWidth::Bits32);
    EXPECT_FALSE(WidthOfExtension("a.srec"));
}

} // namespace
} // namespace tessary::image
