// Files of a peer tool: srec_cat (Debian's srecord) writes Intel HEX and S-records from random
// binaries, our readers must find exactly those bytes at exactly those addresses; and srec_cat
// must read what our writers write.
#include "ImageText.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

namespace tessary::image {
namespace {

class PeerToolTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(std::system("srec_cat -version >/dev/null 2>&1"), 0)
            << "srec_cat is missing: run scripts/install-deps.sh (Debian package srecord)";
        char pattern[] = "/tmp/tessary-image-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string Path(const std::string& name) const { return dir_ + "/" + name; }

    std::vector<uint8_t> RandomFile(const std::string& name, std::size_t size, uint32_t seed) {
        std::mt19937 random(seed);
        std::vector<uint8_t> bytes(size);
        for (auto& byte : bytes) {
            byte = static_cast<uint8_t>(random());
        }
        Write(name, std::string(bytes.begin(), bytes.end()));
        return bytes;
    }
    void Write(const std::string& name, const std::string& text) {
        std::ofstream(Path(name), std::ios::binary) << text;
    }
    std::string Read(const std::string& name) {
        std::ifstream in(Path(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    void SrecCat(const std::string& arguments) {
        const std::string command = "cd " + dir_ + " && srec_cat " + arguments;
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }

    std::string dir_;
};

// Two random binaries at addresses that cross 64K boundaries, with a gap between them.
Image Expected(const std::vector<uint8_t>& low, const std::vector<uint8_t>& high) {
    Image image;
    image.Add(0x0FF00, low);
    image.Add(0x5FFF0, high);
    return image;
}

TEST_F(PeerToolTest, OurReadersTakeWhatSrecCatWrites) {
    const auto low = RandomFile("low.bin", 70000, 1);
    const auto high = RandomFile("high.bin", 5000, 2);
    const std::string inputs = "low.bin -binary -offset 0xFF00 high.bin -binary -offset 0x5FFF0";
    struct Output {
        const char* name;
        const char* options;
        ImageFormat format;
    };
    for (const Output& output : {
             Output{"a.hex", "-intel", ImageFormat::IntelHex},
             Output{"b.hex", "-intel -address-length=4 -line-length=76", ImageFormat::IntelHex},
             Output{"a.srec", "-motorola", ImageFormat::SRecord},
             Output{"a.s37", "-motorola -address-length=4", ImageFormat::SRecord},
         }) {
        SCOPED_TRACE(output.name);
        SrecCat(inputs + " -o " + output.name + " " + output.options);
        const std::string text = Read(output.name);
        EXPECT_EQ(DetectFormat(output.name), output.format);
        Image image;
        ReadError error;
        ASSERT_TRUE(ReadImageText(text, output.format, image, error)) << error.text;
        EXPECT_EQ(image.Runs(), Expected(low, high).Runs());
    }
}

TEST_F(PeerToolTest, SrecCatReadsWhatOurWritersWrite) {
    const auto low = RandomFile("low.bin", 70000, 3);
    const auto high = RandomFile("high.bin", 5000, 4);
    const Image image = Expected(low, high);
    Write("ours.hex", WriteImageText(image, ImageFormat::IntelHex));
    Write("ours.srec", WriteImageText(image, ImageFormat::SRecord, SRecordWidth::Bits24));
    for (const char* name : {"ours.hex -intel", "ours.srec -motorola"}) {
        SCOPED_TRACE(name);
        // srec_cat cuts out each run again, moved to address 0, as a raw binary
        SrecCat(std::string(name) + " -crop 0xFF00 0x21070 -offset -0xFF00 -o low.out -binary");
        SrecCat(std::string(name) + " -crop 0x5FFF0 0x61378 -offset -0x5FFF0 -o high.out -binary");
        EXPECT_EQ(Read("low.out"), std::string(low.begin(), low.end()));
        EXPECT_EQ(Read("high.out"), std::string(high.begin(), high.end()));
    }
}

} // namespace
} // namespace tessary::image
