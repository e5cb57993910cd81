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

TEST_F(ImageTest, NewImagesAreErasedFlashAndZeroRam) {
    auto board = MakeBoard(config_);
    EXPECT_EQ(std::filesystem::file_size(config_.ramImage), kRamSize);
    EXPECT_EQ(std::filesystem::file_size(config_.flashImage), 0x80000u);
    auto flash = board->FlashMemory();
    EXPECT_EQ(std::count(flash.begin(), flash.end(), 0xFF), 0x80000);
    auto ram = board->Ram();
    EXPECT_EQ(std::count(ram.begin(), ram.end(), 0), kRamSize);
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

TEST_F(ImageTest, FlashImageOfAnotherLayoutIsResizedAndTheNewPartErased) {
    {
        auto board = MakeBoard(config_);
        board->FlashMemory()[0x7FFFF] = 0x12;
    }
    config_.flashLayout = FlashLayout::k1M;
    auto board = MakeBoard(config_);
    EXPECT_EQ(std::filesystem::file_size(config_.flashImage), 0x100000u);
    EXPECT_EQ(board->FlashMemory()[0x7FFFF], 0x12);
    EXPECT_EQ(board->FlashMemory()[0x80000], 0xFF);
}

TEST_F(ImageTest, UnusableImagePathIsReported) {
    config_.ramImage = dir_ + "/missing/dir/b.ram";
    std::string error;
    EXPECT_EQ(SimBoard::Create(config_, &error), nullptr);
    EXPECT_NE(error.find("missing/dir"), std::string::npos);
}

} // namespace
} // namespace tessary::board::test
