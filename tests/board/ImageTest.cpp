// Memories backed by image files outlive the board object, as a powered board keeps its data.
#include "BoardDriver.h"

#include <filesystem>
#include <fstream>

namespace tessary::board::test {
namespace {

class ImageTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/tessary-board-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        config_.ramImage = dir_ + "/b.ram";
        config_.flashImage = dir_ + "/b.flash";
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string dir_;
    BoardConfig config_;
};

TEST_F(ImageTest, NewImagesAreErasedFlashAndZeroRamOfTheirMemorysSize) {
    auto board = MakeBoard(config_);
    EXPECT_EQ(std::filesystem::file_size(config_.ramImage), 128u << 10);
    EXPECT_EQ(std::filesystem::file_size(config_.flashImage), 0x80000u);
    auto flash = board->FlashMemory();
    EXPECT_EQ(std::count(flash.begin(), flash.end(), 0xFF), 0x80000);
    auto ram = board->Ram();
    EXPECT_EQ(std::count(ram.begin(), ram.end(), 0), 128 << 10);
}

TEST_F(ImageTest, ABoardWithoutRamHasNoRamImage) {
    config_.ramSize = 0;
    auto board = MakeBoard(config_);
    EXPECT_FALSE(std::filesystem::exists(config_.ramImage));
}

TEST_F(ImageTest, ContentsSurviveTheBoard) {
    const auto data = Pattern(5000);
    {
        auto board = MakeBoard(config_);
        BoardDriver driver(*board);
        driver.Write(kRegRamData, 0xFFFF00, data);
        driver.Write(kRegFlashData, 0x7C000, data);
    }
    auto board = MakeBoard(config_);
    BoardDriver driver(*board);
    EXPECT_EQ(driver.Read(kRegRamData, 0xFFFF00, 5000), data);
    EXPECT_EQ(driver.Read(kRegFlashData, 0x7C000, 5000), data); // a new board reads the array
}

struct OtherSize {
    const char* what;
    void (*change)(BoardConfig&);
    std::string BoardConfig::*image;
    const char* madeWith;
    const char* askedFor;
};

// A board whose settings changed finds images of the old size: they are refused, never cut or
// grown, and the message names both sizes. A symbolic link to an image is followed, the file it
// names left as it is as well.
class ImageOfAnotherSizeTest : public ImageTest,
                               public ::testing::WithParamInterface<std::tuple<OtherSize, bool>> {};

TEST_P(ImageOfAnotherSizeTest, IsRefusedAndLeftAsItIs) {
    const auto& [size, linked] = GetParam();
    std::string target = config_.*size.image;
    if (linked) {
        target = dir_ + "/elsewhere";
        std::filesystem::create_symlink(target, config_.*size.image);
    }
    std::filesystem::path file = target;
    {
        auto board = MakeBoard(config_);
        board->FlashMemory()[0x7FFFF] = 0x12;
        board->Ram()[0x1FFFF] = 0x34;
    }
    const auto bytes = std::filesystem::file_size(file);
    size.change(config_);
    std::string error;
    EXPECT_EQ(SimBoard::Create(config_, &error), nullptr);
    EXPECT_NE(error.find(size.madeWith), std::string::npos) << error;
    EXPECT_NE(error.find(size.askedFor), std::string::npos) << error;
    EXPECT_NE(error.find(config_.*size.image), std::string::npos) << error;
    EXPECT_EQ(std::filesystem::file_size(file), bytes);
    EXPECT_TRUE(std::filesystem::is_symlink(config_.*size.image) == linked);
    std::ifstream in(file, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(bytes - 1));
    EXPECT_EQ(in.get(), size.image == &BoardConfig::flashImage ? 0x12 : 0x34);
}

INSTANTIATE_TEST_SUITE_P(
    Changes, ImageOfAnotherSizeTest,
    ::testing::Combine(
        ::testing::Values(OtherSize{"LargerFlash",
                                    [](BoardConfig& c) { c.flashLayout = FlashLayout::k1M; },
                                    &BoardConfig::flashImage, "524288", "1048576"},
                          OtherSize{"SmallerRam", [](BoardConfig& c) { c.ramSize = 64 << 10; },
                                    &BoardConfig::ramImage, "131072", "65536"},
                          OtherSize{"LargerRam", [](BoardConfig& c) { c.ramSize = 512 << 10; },
                                    &BoardConfig::ramImage, "131072", "524288"}),
        ::testing::Bool()),
    [](const auto& test) {
        return std::string(std::get<0>(test.param).what) +
               (std::get<1>(test.param) ? "Linked" : "");
    });

TEST_F(ImageTest, ASmallerFlashImageIsNotCut) {
    config_.flashLayout = FlashLayout::k1M;
    MakeBoard(config_);
    config_.flashLayout = FlashLayout::k512K;
    std::string error;
    EXPECT_EQ(SimBoard::Create(config_, &error), nullptr);
    EXPECT_EQ(std::filesystem::file_size(config_.flashImage), 0x100000u);
}

TEST_F(ImageTest, UnusableImagePathIsReported) {
    config_.ramImage = dir_ + "/missing/dir/b.ram";
    std::string error;
    EXPECT_EQ(SimBoard::Create(config_, &error), nullptr);
    EXPECT_NE(error.find("missing/dir"), std::string::npos);
}

} // namespace
} // namespace tessary::board::test
