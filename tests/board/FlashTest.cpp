// The Flash as a host meets it through the controller: erase, busy, programming, status mode,
// and the time a real part takes for each.
#include "BoardDriver.h"

#include <numeric>

namespace tessary::board::test {
namespace {

using std::chrono::microseconds;
using std::chrono::milliseconds;

// A board at a typical part's times on a clock of the test's own.
class FlashTest : public ::testing::Test {
  protected:
    void Make(BoardConfig config) {
        board_ = MakeBoard(config, clock_);
        driver_ = std::make_unique<BoardDriver>(*board_);
    }
    void SetUp() override { Make({}); }

    // Fills the whole Flash memory with a non-erased value, behind the chip (its mode is kept).
    void ProgramEverything(uint8_t value = 0x00) {
        auto flash = board_->FlashMemory();
        std::fill(flash.begin(), flash.end(), value);
    }

    ManualClock clock_;
    std::unique_ptr<SimBoard> board_;
    std::unique_ptr<BoardDriver> driver_;
};

TEST_F(FlashTest, NewChipIsErasedAndInReadArrayMode) {
    EXPECT_EQ(driver_->Read(kRegFlashData, 0, 16), std::vector<uint8_t>(16, 0xFF));
    EXPECT_EQ(driver_->Status(), 0x80);
}

TEST_F(FlashTest, EraseIsBusyForTheConfiguredReadsEvenWhenItsTimeIsUp) {
    board_->SetBusyReads(5);
    ProgramEverything();
    driver_->EraseBlockAt(0x78000);
    clock_.Advance(std::chrono::seconds(1));
    EXPECT_EQ(driver_->WaitReady(), 5);
    EXPECT_EQ(driver_->Status(), 0x80);
}

struct EraseTime {
    uint32_t address;
    double timeScale;
    std::chrono::nanoseconds busy;
};

// The chip is busy, whatever a host reads or writes, until the erase's time has passed: 0.5 s
// for a 128K block, a smaller block its share, both times the scale.
class EraseTimeTest : public FlashTest, public ::testing::WithParamInterface<EraseTime> {};

TEST_P(EraseTimeTest, StatusIsBusyUntilTheEraseIsDone) {
    BoardConfig config;
    config.busyReads = 0;
    config.timeScale = GetParam().timeScale;
    Make(config);
    ProgramEverything();
    driver_->EraseBlockAt(GetParam().address);
    clock_.Advance(GetParam().busy - microseconds(1));
    EXPECT_EQ(driver_->Status(), 0x00);
    driver_->Command(0xFF); // refused: a busy chip takes no command
    driver_->Write(kRegFlashData, GetParam().address, {0x12});
    clock_.Advance(microseconds(1));
    EXPECT_EQ(driver_->Status(), 0x80);
    EXPECT_EQ(driver_->Read(kRegFlashData, GetParam().address, 1)[0], 0x80); // status mode
    driver_->Command(0xFF);
    EXPECT_EQ(driver_->Read(kRegFlashData, GetParam().address, 1)[0], 0xFF);
}

INSTANTIATE_TEST_SUITE_P(Blocks, EraseTimeTest,
                         ::testing::Values(EraseTime{0x00000, 1.0, milliseconds(500)},
                                           EraseTime{0x60000, 1.0, milliseconds(375)},   // 96K
                                           EraseTime{0x78000, 1.0, microseconds(31250)}, // 8K
                                           EraseTime{0x20000, 0.01, milliseconds(5)}));

TEST_F(FlashTest, AHostThatProgramsWithoutWaitingForTheEraseLosesItsData) {
    board_->SetBusyReads(0); // the erase's time alone keeps the chip busy
    ProgramEverything();
    driver_->EraseBlockAt(0x20000);
    const auto data = Pattern(256);
    driver_->Write(kRegFlashData, 0x20000, data); // no status poll in between
    clock_.Advance(std::chrono::seconds(1));
    EXPECT_EQ(driver_->WaitReady(), 0);
    driver_->Command(0xFF);
    EXPECT_EQ(driver_->Read(kRegFlashData, 0x20000, 256), std::vector<uint8_t>(256, 0xFF));
}

TEST_F(FlashTest, AFlashWriteEndsWhenTheChipHasProgrammedEveryByte) {
    BoardConfig config;
    config.programMicros = 12;
    config.timeScale = 0.5;
    Make(config);
    const auto start = clock_.Now();
    const auto data = Pattern(100);
    driver_->Write(kRegFlashData, 0x1000, data);
    EXPECT_EQ(clock_.Now() - start, microseconds(100 * 6));
    EXPECT_EQ(driver_->Status(), 0x80);
    driver_->Command(0xFF);
    EXPECT_EQ(driver_->Read(kRegFlashData, 0x1000, 100), data);
}

TEST_F(FlashTest, CommandsAreIgnoredWhileBusy) {
    board_->SetBusyReads(3);
    driver_->EraseBlockAt(0);
    driver_->Command(0xFF); // read array while the erase runs: refused
    EXPECT_EQ(driver_->Status() & 0x80, 0);
    clock_.Advance(std::chrono::seconds(1));
    EXPECT_EQ(driver_->WaitReady(), 2);
    EXPECT_EQ(driver_->Read(kRegFlashData, 0, 1)[0], 0x80); // still status mode
}

TEST_F(FlashTest, ProgrammingOnlyClearsBits) {
    driver_->Write(kRegFlashData, 0x100, {0xF0, 0x0F, 0xAA});
    driver_->Write(kRegFlashData, 0x100, {0x3C, 0xFF, 0x55});
    driver_->Command(0xFF);
    EXPECT_EQ(driver_->Read(kRegFlashData, 0x100, 3), (std::vector<uint8_t>{0x30, 0x0F, 0x00}));
}

TEST_F(FlashTest, DataReadsReturnStatusUntilReadArray) {
    const auto data = Pattern(64);
    driver_->Write(kRegFlashData, 0x2000, data);
    EXPECT_EQ(driver_->Read(kRegFlashData, 0x2000, 64), std::vector<uint8_t>(64, 0x80));
    driver_->Command(0xFF);
    EXPECT_EQ(driver_->Read(kRegFlashData, 0x2000, 64), data);
}

TEST_F(FlashTest, StatusRegisterSpeaksOnlyDuringStatusRead) {
    uint8_t value = 0xAA;
    ASSERT_TRUE(board_->ReadRegister(kRegFlashStatus, &value));
    EXPECT_EQ(value, 0x00);
    EXPECT_EQ(driver_->Status(), 0x80);
}

TEST_F(FlashTest, CommandNeedsTheFullStrobe) {
    driver_->Write(kRegFlashData, 0, {0x12}); // status mode now
    ASSERT_TRUE(board_->WriteRegister(kRegFlashCommand, 0xFF));
    ASSERT_TRUE(board_->WriteRegister(kRegControl, kControlStrobeOff)); // no 0xF5 first
    EXPECT_EQ(driver_->Read(kRegFlashData, 0, 1)[0], 0x80);
    driver_->Command(0xFF);
    EXPECT_EQ(driver_->Read(kRegFlashData, 0, 1)[0], 0x12);
}

TEST_F(FlashTest, EraseSetupWithoutConfirmIsASequenceError) {
    ProgramEverything();
    driver_->SetAddress(0);
    driver_->Command(0x20);
    driver_->Command(0xFF);
    EXPECT_EQ(driver_->Status(), 0x80 | 0x20 | 0x10);
    driver_->Command(0xFF);
    EXPECT_EQ(driver_->Read(kRegFlashData, 0, 1)[0], 0x00); // nothing erased
}

TEST_F(FlashTest, LockedBlockRefusesEraseUntilClearStatus) {
    board_->SetLockedBlocks({4});
    ProgramEverything(0x5A);
    driver_->EraseBlockAt(0x78000);
    EXPECT_EQ(driver_->WaitReady(), 0);
    EXPECT_EQ(driver_->Status(), 0x80 | 0x20 | 0x02);
    driver_->Command(0xFF);
    EXPECT_EQ(driver_->Status(), 0x80 | 0x20 | 0x02); // error bits stay through read array
    EXPECT_EQ(driver_->Read(kRegFlashData, 0x78000, 4), std::vector<uint8_t>(4, 0x5A));
    driver_->Command(0x50);
    EXPECT_EQ(driver_->Status(), 0x80);
}

TEST_F(FlashTest, LockedBlockRefusesProgrammingButNeighboursTakeIt) {
    board_->SetLockedBlocks({5});
    // A run across the end of block 4 into the locked block 5 (0x7A000).
    driver_->Write(kRegFlashData, 0x79FFE, {0x00, 0x00, 0x00, 0x00});
    EXPECT_EQ(driver_->Status(), 0x80 | 0x10 | 0x02);
    driver_->Command(0xFF);
    EXPECT_EQ(driver_->Read(kRegFlashData, 0x79FFE, 4), (std::vector<uint8_t>{0, 0, 0xFF, 0xFF}));
}

TEST_F(FlashTest, NeverReadyChipStaysBusy) {
    board_->SetNeverReady(true);
    ProgramEverything();
    driver_->EraseBlockAt(0);
    EXPECT_EQ(driver_->WaitReady(200), -1);
    board_->SetNeverReady(false);
    EXPECT_EQ(driver_->Status(), 0x80);
}

struct IgnoredEraseCase {
    const char* name;
    IgnoredErases ignored;
    // Of four erases one after the other, those that clear their block.
    std::vector<bool> cleared;
};

// A chip that fails to erase: the erases it ignores look like any other to the host (the same
// busy reads, then ready without an error bit), but their block keeps its content.
class IgnoredEraseTest : public FlashTest,
                         public ::testing::WithParamInterface<IgnoredEraseCase> {};

TEST_P(IgnoredEraseTest, ReportsReadyAndKeepsTheBlock) {
    BoardConfig config;
    config.timeScale = 0;
    config.ignoredErases = GetParam().ignored;
    Make(config);
    ProgramEverything(0x5A);
    // The first four blocks of the 512K chip: three of 128K, one of 96K (its last byte is the
    // one checked at 0x17FFF past each start).
    for (uint32_t erase = 0; erase < 4; ++erase) {
        const uint32_t block = erase * 0x20000;
        driver_->EraseBlockAt(block);
        EXPECT_EQ(driver_->WaitReady(), 3) << "erase " << erase + 1;
        EXPECT_EQ(driver_->Status(), 0x80) << "erase " << erase + 1;
        driver_->Command(0xFF);
        const uint8_t expected = GetParam().cleared[erase] ? 0xFF : 0x5A;
        EXPECT_EQ(driver_->Read(kRegFlashData, block, 4), std::vector<uint8_t>(4, expected))
            << "erase " << erase + 1;
        EXPECT_EQ(driver_->Read(kRegFlashData, block + 0x17FFF, 1)[0], expected)
            << "erase " << erase + 1;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, IgnoredEraseTest,
    ::testing::Values(IgnoredEraseCase{"None", {}, {true, true, true, true}},
                      IgnoredEraseCase{"Every", {1, 0}, {false, false, false, false}},
                      IgnoredEraseCase{"TheSecondOnly", {2, 1}, {true, false, true, true}},
                      IgnoredEraseCase{"FromTheThirdOn", {3, 0}, {true, true, false, false}}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(FlashTest, PowerCycleKeepsContentsAndReturnsToReadArray) {
    driver_->Write(kRegFlashData, 0x30, {0x21});
    driver_->Write(kRegRamData, 0x30, {0x43});
    board_->PowerCycle();
    EXPECT_EQ(board_->address(), 0u);
    EXPECT_EQ(driver_->Read(kRegFlashData, 0x30, 1)[0], 0x21);
    EXPECT_EQ(driver_->Read(kRegRamData, 0x30, 1)[0], 0x43);
}

TEST_F(FlashTest, AddressesBeyondTheChipWrapModuloItsSize) {
    driver_->Write(kRegFlashData, 0x80000 + 0x10, {0x42}); // 512K chip: same cell as 0x10
    driver_->Command(0xFF);
    EXPECT_EQ(driver_->Read(kRegFlashData, 0x10, 1)[0], 0x42);
    EXPECT_EQ(board_->FlashMemory()[0x10], 0x42);
}

// Erasing at any address of a block clears exactly that block of the board's own table.
class FlashBlockTest : public ::testing::TestWithParam<FlashLayout> {};

TEST_P(FlashBlockTest, EraseClearsExactlyTheContainingBlock) {
    BoardConfig config;
    config.flashLayout = GetParam();
    config.busyReads = 0;
    config.timeScale = 0;
    auto board = MakeBoard(config);
    BoardDriver driver(*board);
    const auto sizes = FlashBlockSizes(GetParam());
    auto flash = board->FlashMemory();
    uint32_t start = 0;
    for (size_t block = 0; block < sizes.size(); ++block) {
        const uint32_t end = start + sizes[block];
        // The block and its neighbours programmed to 0, then the block erased.
        const uint32_t from = block > 0 ? start - sizes[block - 1] : 0;
        const uint32_t to = block + 1 < sizes.size() ? end + sizes[block + 1] : end;
        std::fill(flash.begin() + from, flash.begin() + to, 0x00);
        driver.EraseBlockAt(end - 1); // the last byte lies in the block as well
        ASSERT_EQ(driver.WaitReady(), 0);
        EXPECT_EQ(std::count(flash.begin() + from, flash.begin() + to, 0xFF), sizes[block])
            << "block " << block;
        EXPECT_EQ(flash[start], 0xFF);
        EXPECT_EQ(flash[end - 1], 0xFF);
        start = end;
    }
    EXPECT_EQ(start, flash.size());
}

INSTANTIATE_TEST_SUITE_P(Layouts, FlashBlockTest,
                         ::testing::Values(FlashLayout::k512K, FlashLayout::k1M, FlashLayout::k4M,
                                           FlashLayout::k16M));

TEST(FlashLayoutTable, SizesAndBoundariesOfEachChip) {
    EXPECT_EQ(FlashLayoutSize(FlashLayout::k512K), 0x80000u);
    EXPECT_EQ(FlashLayoutSize(FlashLayout::k1M), 0x100000u);
    EXPECT_EQ(FlashLayoutSize(FlashLayout::k4M), 0x400000u);
    EXPECT_EQ(FlashLayoutSize(FlashLayout::k16M), 0x1000000u);
    const auto small = FlashBlockSizes(FlashLayout::k512K);
    // The parameter blocks of the 512K chip start at 0x78000 and 0x7A000, the boot block at
    // 0x7C000.
    EXPECT_EQ(std::accumulate(small.begin(), small.begin() + 4, 0u), 0x78000u);
    EXPECT_EQ(std::accumulate(small.begin(), small.begin() + 5, 0u), 0x7A000u);
    EXPECT_EQ(std::accumulate(small.begin(), small.begin() + 6, 0u), 0x7C000u);
    const auto large = FlashBlockSizes(FlashLayout::k1M);
    EXPECT_EQ(std::accumulate(large.begin(), large.begin() + 7, 0u), 0xE0000u);
    EXPECT_EQ(std::accumulate(large.begin(), large.begin() + 8, 0u), 0xF8000u);
    EXPECT_EQ(ParseFlashLayout("16M"), FlashLayout::k16M);
    EXPECT_EQ(ParseFlashLayout("2m"), std::nullopt);
}

} // namespace
} // namespace tessary::board::test
