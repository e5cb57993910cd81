// The controller's registers: address loading and advance, 24-bit wrap, register placement.
#include "BoardDriver.h"

namespace tessary::board::test {
namespace {

class RegisterBlockTest : public ::testing::TestWithParam<uint8_t> {
  protected:
    void SetUp() override {
        BoardConfig config;
        config.registerBase = GetParam();
        config.ramSize = kRamSize;
        board_ = MakeBoard(config);
        driver_ = std::make_unique<BoardDriver>(*board_);
    }
    std::unique_ptr<SimBoard> board_;
    std::unique_ptr<BoardDriver> driver_;
};

TEST_P(RegisterBlockTest, AddressRegistersLoadTheThreeBytes) {
    driver_->SetAddress(0x107A0B1);
    EXPECT_EQ(board_->address(), 0x07A0B1u); // bits 24-31 have no register
    uint8_t low = 0, mid = 0, high = 0;
    ASSERT_TRUE(board_->ReadRegister(driver_->Reg(kRegAddressLow), &low));
    ASSERT_TRUE(board_->ReadRegister(driver_->Reg(kRegAddressMid), &mid));
    ASSERT_TRUE(board_->ReadRegister(driver_->Reg(kRegAddressHigh), &high));
    EXPECT_EQ(low, 0xB1);
    EXPECT_EQ(mid, 0xA0);
    EXPECT_EQ(high, 0x07);
}

TEST_P(RegisterBlockTest, RamBytesAdvanceTheAddressOneByOne) {
    driver_->SetAddress(0x1234);
    for (uint8_t v : {0x11, 0x22, 0x33}) {
        ASSERT_TRUE(board_->WriteRegister(driver_->Reg(kRegRamData), v));
    }
    EXPECT_EQ(board_->address(), 0x1237u);
    EXPECT_EQ(driver_->Read(kRegRamData, 0x1233, 5),
              (std::vector<uint8_t>{0, 0x11, 0x22, 0x33, 0}));
    EXPECT_EQ(board_->address(), 0x1238u);
}

TEST_P(RegisterBlockTest, RepeatedRamTransferWrapsAt24Bits) {
    const auto data = Pattern(20000);
    driver_->Write(kRegRamData, 0xFFF000, data);
    EXPECT_EQ(board_->address(), (0xFFF000u + 20000) & 0xFFFFFF);
    auto ram = board_->Ram();
    EXPECT_TRUE(std::equal(data.begin(), data.begin() + 0x1000, ram.begin() + 0xFFF000));
    EXPECT_TRUE(std::equal(data.begin() + 0x1000, data.end(), ram.begin()));
    EXPECT_EQ(driver_->Read(kRegRamData, 0xFFF000, 20000), data);
}

TEST_P(RegisterBlockTest, RegistersOutsideTheBlockAreNotTheController) {
    const uint8_t outside = static_cast<uint8_t>(GetParam() ^ 0x08);
    driver_->SetAddress(0x10);
    ASSERT_TRUE(board_->WriteRegister(outside + kRegAddressLow, 0x99));
    ASSERT_TRUE(board_->WriteRegister(outside + kRegRamData, 0x55));
    uint8_t value = 0;
    ASSERT_TRUE(board_->ReadRegister(outside + kRegRamData, &value));
    EXPECT_EQ(value, 0xFF);
    EXPECT_EQ(board_->address(), 0x10u);
    EXPECT_EQ(board_->Ram()[0x10], 0);
}

TEST_P(RegisterBlockTest, SetsRunInOrder) {
    // Address low twice in one set: the later value wins, then a data byte lands there.
    const uint8_t regs[] = {driver_->Reg(kRegAddressLow), driver_->Reg(kRegAddressMid),
                            driver_->Reg(kRegAddressHigh), driver_->Reg(kRegAddressLow),
                            driver_->Reg(kRegRamData)};
    const uint8_t data[] = {0x01, 0x02, 0x03, 0x40, 0xAB};
    ASSERT_TRUE(board_->WriteSet(regs, data, 5));
    EXPECT_EQ(board_->Ram()[0x030240], 0xAB);
    uint8_t values[3] = {};
    const uint8_t readRegs[] = {driver_->Reg(kRegAddressLow), driver_->Reg(kRegAddressMid),
                                driver_->Reg(kRegAddressHigh)};
    ASSERT_TRUE(board_->ReadSet(readRegs, values, 3));
    EXPECT_EQ(values[0], 0x41);
    EXPECT_EQ(values[1], 0x02);
    EXPECT_EQ(values[2], 0x03);
}

INSTANTIATE_TEST_SUITE_P(Bases, RegisterBlockTest, ::testing::Values(0x00, 0x08, 0x80, 0xF8));

// The RAM answers the address modulo its size, as a module whose address lines end there: the
// configurations' 128K, 512K and 1024K repeat through the 24-bit address space.
class RamSizeTest : public ::testing::TestWithParam<uint32_t> {};

TEST_P(RamSizeTest, RamAddressesWrapAtTheRamsSize) {
    BoardConfig config;
    config.ramSize = GetParam();
    auto board = MakeBoard(config);
    BoardDriver driver(*board);
    const auto data = Pattern(64);
    driver.Write(kRegRamData, GetParam() - 32, data);
    EXPECT_EQ(board->address(), GetParam() + 32);
    EXPECT_EQ(board->Ram().size(), GetParam());
    EXPECT_EQ(driver.Read(kRegRamData, 0, 32), std::vector<uint8_t>(data.begin() + 32, data.end()));
    EXPECT_EQ(driver.Read(kRegRamData, 5 * GetParam() - 32, 64), data);
}

INSTANTIATE_TEST_SUITE_P(Configurations, RamSizeTest,
                         ::testing::Values(128u << 10, 512u << 10, 1024u << 10));

TEST(RegisterBlock, ABoardWithoutRamIgnoresRamWritesAndReadsFF) {
    BoardConfig config;
    config.ramSize = 0;
    auto board = MakeBoard(config);
    BoardDriver driver(*board);
    driver.Write(kRegRamData, 0x100, {0x00, 0x12});
    EXPECT_EQ(board->address(), 0x102u);
    EXPECT_EQ(driver.Read(kRegRamData, 0x100, 2), (std::vector<uint8_t>{0xFF, 0xFF}));
    EXPECT_TRUE(board->Ram().empty());
}

TEST(RegisterBlock, BaseChangedAtRunTimeMovesTheBlock) {
    auto board = MakeBoard();
    board->SetRegisterBase(0xF8);
    ASSERT_TRUE(board->WriteRegister(0x01, 0x22)); // old place: nothing there now
    EXPECT_EQ(board->address(), 0u);
    ASSERT_TRUE(board->WriteRegister(0xF9, 0x22));
    ASSERT_TRUE(board->WriteRegister(0xFE, 0x77)); // RAM data at base+6
    EXPECT_EQ(board->Ram()[0x22], 0x77);
}

} // namespace
} // namespace tessary::board::test
