// Which format a file is: its name says, never its contents.
#include "ImageFormat.h"

#include <gtest/gtest.h>

namespace tessary::image {
namespace {

// The name alone decides, in any case; the contents are never looked at, so a raw image that
// happens to start like a record stays raw.
TEST(FormatTest, TheNameDecides) {
    struct Case {
        const char* path;
        ImageFormat format;
    };
    for (const Case& c : {
             Case{"fw.hex", ImageFormat::IntelHex},
             Case{"fw.IHEX", ImageFormat::IntelHex},
             Case{"dir/fw.Hex", ImageFormat::IntelHex},
             Case{"fw.srec", ImageFormat::SRecord},
             Case{"fw.s19", ImageFormat::SRecord},
             Case{"fw.S28", ImageFormat::SRecord},
             Case{"fw.s37", ImageFormat::SRecord},
             Case{"fw.MOT", ImageFormat::SRecord},
             Case{"fw.bin", ImageFormat::Binary},
             Case{"firmware", ImageFormat::Binary},
             Case{"image.dat", ImageFormat::Binary},
             Case{"fw.hex.bak", ImageFormat::Binary},
             Case{"dir.hex/file", ImageFormat::Binary},
             Case{"-", ImageFormat::Binary},
         }) {
        EXPECT_EQ(DetectFormat(c.path), c.format) << c.path;
    }
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
