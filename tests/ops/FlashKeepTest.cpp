// Flash loads keep what they do not cover: the bytes of partly covered blocks are read before
// the erase and programmed back, on every Flash layout; a failed read erases nothing.
#include "FlashGeometry.h"
#include "LoadOperations.h"
#include "SimBoard.h"
#include "SimFixture.h"
#include "StoreOperations.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>

namespace tessary::testing {
namespace {

struct Layout {
    const char* device;
    int32_t configuration;
};

class FlashKeepTest : public SimBoardTest, public ::testing::WithParamInterface<Layout> {
  protected:
    void SetUp() override {
        SimBoardTest::SetUp();
        UseDevice(GetParam().device, GetParam().configuration);
        const int32_t configuration = session.memoryConfiguration;
        first_ = BlockAddress(configuration, 4);
        end_ = BlockCount(configuration) > 7 ? BlockAddress(configuration, 7)
                                             : FlashSize(configuration); // the end of block 6
        // a pattern in blocks 4 to 6, as an earlier load would have left it
        std::mt19937 random(7);
        const auto flash = Board().FlashMemory();
        for (uint32_t a = first_; a < end_; ++a) {
            flash[a] = static_cast<uint8_t>(random());
        }
        pattern_ = Flash(first_, end_ - first_);
        // 100 bytes into the middle of block 5
        const uint32_t block5 = BlockAddress(configuration, 5);
        const uint32_t block6 = BlockAddress(configuration, 6);
        at_ = block5 + (block6 - block5) / 2 - 50;
        data_ = MakeFile(TempPath("small.bin"), 100, 3);
    }

    bool LoadSmall(bool preserve) {
        LoadForm form{TempPath("small.bin"), std::to_string(at_), "", "", true, true, preserve};
        const auto request = ValidateLoadFlashForm(form, session.memoryConfiguration, messages);
        return request && LoadFlashOperation(session, *request, status, messages);
    }

    // Blocks 4 to 6 as a Store Flash writes them to a file.
    std::vector<uint8_t> StoreBlocks() {
        StoreRequest request{TempPath("blocks.bin"), static_cast<int32_t>(first_),
                             static_cast<int32_t>(end_ - first_), OutputMode::Replace};
        EXPECT_TRUE(StoreFlashToFile(session, request, status, messages));
        return ReadFile(TempPath("blocks.bin"));
    }

    uint32_t first_ = 0, end_ = 0, at_ = 0;
    std::vector<uint8_t> pattern_, data_;
};

TEST_P(FlashKeepTest, OnlyTheLoadedBytesChange) {
    ASSERT_TRUE(LoadSmall(true)) << (messages.shown.empty() ? "" : messages.shown[0].text);
    EXPECT_EQ(ErasedAddresses(),
              (std::vector<uint32_t>{BlockAddress(session.memoryConfiguration, 5)}));
    EXPECT_EQ(StatusTextsStartingWith("Saving block: "),
              (std::vector<std::string>{"Saving block: 6"}));
    EXPECT_EQ(status.Last(), "Flash Load complete. Total bytes transferred: 100");
    // progress counted the saved block, its erase and its restoring
    EXPECT_NE(std::find(status.progress.begin(), status.progress.end(),
                        std::make_pair(int64_t{3}, int64_t{3})),
              status.progress.end());
    std::vector<uint8_t> expected = pattern_;
    std::copy(data_.begin(), data_.end(), expected.begin() + (at_ - first_));
    EXPECT_EQ(StoreBlocks(), expected);
}

TEST_P(FlashKeepTest, WithoutPreservationTheRestOfTheBlockIsErased) {
    ASSERT_TRUE(LoadSmall(false));
    EXPECT_TRUE(StatusTextsStartingWith("Saving block").empty());
    const uint32_t block5 = BlockAddress(session.memoryConfiguration, 5);
    const std::vector<uint8_t> blocks = StoreBlocks();
    EXPECT_EQ(blocks[block5 - first_], 0xFF);
    EXPECT_EQ(blocks[at_ - first_], data_[0]);
}

TEST_P(FlashKeepTest, AFailedSaveReadErasesNothing) {
    // The first read of the block's bytes is found in a run that goes through; the same run
    // with that access failing must stop before the erase.
    ASSERT_TRUE(LoadSmall(true));
    std::size_t saveRead = 0;
    while (trace[saveRead].call != LnkTraceCall::GetRegRepeat) {
        ++saveRead;
    }
    std::copy(pattern_.begin(), pattern_.end(), Board().FlashMemory().begin() + first_);
    trace.clear();
    messages.shown.clear();
    board::FaultConfig faults;
    faults.failAccess = saveRead + 1;
    Board().SetFaults(faults);
    EXPECT_FALSE(LoadSmall(true));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Unable to read Flash block 6 to keep the bytes the load "
                                      "does not cover; nothing was erased.");
    EXPECT_TRUE(ErasedAddresses().empty());
    EXPECT_EQ(status.Last(), "Flash Load error");
    Board().SetFaults({});
    EXPECT_EQ(StoreBlocks(), pattern_);
}

// A byte changed on its way while the block is saved would be programmed back wrong, and the
// restore's verify compares with the very same copy: the two reads of the save disagree, and the
// load stops before anything is erased.
TEST_P(FlashKeepTest, AByteChangedWhileSavingStopsBeforeTheErase) {
    board::FaultConfig faults;
    faults.flipByte = 10; // the tenth byte of the save's first read
    Board().SetFaults(faults);
    EXPECT_FALSE(LoadSmall(true));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Flash block 6 read back differently twice while keeping "
                                      "the bytes the load does not cover; nothing was erased.");
    const uint32_t block5 = BlockAddress(session.memoryConfiguration, 5);
    char cause[64];
    std::snprintf(cause, sizeof(cause), "first difference at 0x%06X: read 0x%02X, then 0x%02X",
                  block5 + 9, pattern_[block5 + 9 - first_] ^ 1, pattern_[block5 + 9 - first_]);
    EXPECT_EQ(messages.causes[0], cause);
    EXPECT_TRUE(ErasedAddresses().empty());
    EXPECT_EQ(status.Last(), "Flash Load error");
    Board().SetFaults({});
    EXPECT_EQ(StoreBlocks(), pattern_);
}

INSTANTIATE_TEST_SUITE_P(Layouts, FlashKeepTest,
                         ::testing::Values(Layout{"SimQ0", 0}, Layout{"SimQ3", 3},
                                           Layout{"SimP4", 5}, Layout{"SimP16", 6}),
                         [](const ::testing::TestParamInfo<Layout>& test) {
                             return std::string(test.param.device);
                         });

} // namespace
} // namespace tessary::testing
