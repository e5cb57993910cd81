// Failures name their cause below the specified message: the first differing byte of a verify,
// the block, address and status of a Flash error.
#include "EraseFlash.h"
#include "FlashStatus.h"
#include "LoadOperations.h"
#include "SimBoard.h"
#include "SimFixture.h"

#include <gtest/gtest.h>

namespace tessary::testing {
namespace {

class ErrorCauseTest : public SimBoardTest {};

TEST_F(ErrorCauseTest, VerifyFailureNamesTheFirstDifferingByte) {
    const auto data = MakeFile(TempPath("in.bin"), 3 * 8192);
    board::FaultConfig faults;
    faults.flipByte = 8192 + 300; // the 301st byte read back of the second block
    faults.flipMask = 0x10;
    Board().SetFaults(faults);
    LoadRequest request{TempPath("in.bin"), 0, 0x1000, kLengthToEndOfFile, true, false};

    EXPECT_FALSE(LoadRamOperation(session, request, status, messages));

    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Write verification failed.");
    const uint8_t written = data[8192 + 299];
    char expected[96];
    std::snprintf(expected, sizeof(expected),
                  "first difference at 0x%06X: wrote 0x%02X, read 0x%02X", 0x1000 + 8192 + 299,
                  written, written ^ 0x10);
    EXPECT_EQ(messages.causes[0], expected);
}

TEST_F(ErrorCauseTest, LockedBlockNamesBlockAddressAndStatus) {
    Board().SetLockedBlocks({2});
    EXPECT_FALSE(
        EraseFlashBlocks(session, AllFlashBlocks(session.memoryConfiguration), status, messages));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Flash memory error.");
    EXPECT_EQ(messages.causes[0], "block 3 at 0x040000: status 0xA2 (erase error, block locked)");
}

TEST(FlashStatusText, NamesEveryErrorBitAndOnlyThose) {
    EXPECT_EQ(DescribeEraseFailure(0, 0, 0xB8),
              "block 1 at 0x000000: status 0xB8 (erase error, program error, programming "
              "voltage low)");
    EXPECT_EQ(DescribeEraseFailure(10, 0xFC000, 0x80), "block 11 at 0x0FC000: status 0x80");
    EXPECT_EQ(DescribeEraseTimeout(0, 0x20000, 0x00),
              "block 1 at 0x020000 still busy (status 0x00) when the wait for the chip ran out");
}

} // namespace
} // namespace tessary::testing
