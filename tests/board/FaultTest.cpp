// Faults the board shows on request, and its speed limit.
#include "BoardDriver.h"

#include <chrono>

namespace tessary::board::test {
namespace {

TEST(BoardFaults, NthAccessFailsWithoutTouchingTheBoard) {
    auto board = MakeBoard();
    FaultConfig faults;
    faults.failAccess = 2;
    board->SetFaults(faults);
    const uint8_t data[] = {1, 2, 3};
    EXPECT_TRUE(board->WriteRegister(kRegAddressLow, 0x40));
    EXPECT_FALSE(board->WriteRepeat(kRegRamData, data, 3));
    EXPECT_EQ(board->address(), 0x40u);
    EXPECT_EQ(board->Ram()[0x40], 0);
    EXPECT_TRUE(board->WriteRepeat(kRegRamData, data, 3)); // only the second access fails
    EXPECT_EQ(board->Ram()[0x42], 3);
}

TEST(BoardFaults, FlippedByteIsCountedAcrossReads) {
    auto board = MakeBoard();
    BoardDriver driver(*board);
    const auto data = Pattern(100);
    driver.Write(kRegRamData, 0, data);
    FaultConfig faults;
    faults.flipByte = 150; // the 50th byte of the second read
    board->SetFaults(faults);
    EXPECT_EQ(driver.Read(kRegRamData, 0, 100), data);
    auto second = driver.Read(kRegRamData, 0, 100);
    EXPECT_EQ(second[49], data[49] ^ 0x01);
    second[49] = data[49];
    EXPECT_EQ(second, data);
    EXPECT_EQ(board->Ram()[49], data[49]); // the memory itself is intact
    EXPECT_EQ(driver.Read(kRegRamData, 0, 100), data);
}

TEST(BoardFaults, EveryByteFromAPointOnIsFlipped) {
    auto board = MakeBoard();
    BoardDriver driver(*board);
    driver.Command(0xFF);
    FaultConfig faults;
    faults.flipFrom = 5;
    faults.flipMask = 0x80;
    board->SetFaults(faults);
    const auto first = driver.Read(kRegFlashData, 0, 8);
    EXPECT_EQ(first, (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0x7F, 0x7F, 0x7F}));
    EXPECT_EQ(driver.Read(kRegFlashData, 0, 2), std::vector<uint8_t>(2, 0x7F));
}

TEST(BoardSpeedLimit, DataTakesAtLeastItsShareOfASecond) {
    BoardConfig config;
    config.bytesPerSecond = 20000;
    auto board = MakeBoard(config);
    std::vector<uint8_t> data(2000);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(board->WriteRepeat(kRegRamData, data.data(), data.size()));
    ASSERT_TRUE(board->ReadRepeat(kRegRamData, data.data(), data.size()));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(190));
}

} // namespace
} // namespace tessary::board::test
