// Data calls at the library boundary: handles, argument checks, and the board behind them.
#include "LnkFixture.h"

#include <array>
#include <vector>

namespace tessary::lnkutil::test {
namespace {

constexpr uint8_t kGuard = 0xA5;

class DataCallTest : public LnkFixture {
  protected:
    void SetUp() override {
        LnkFixture::SetUp();
        Init();
        handle_ = Open();
    }

    void SetAddress(uint32_t address) {
        const uint8_t regs[] = {1, 2, 3};
        const uint8_t data[] = {static_cast<uint8_t>(address), static_cast<uint8_t>(address >> 8),
                                static_cast<uint8_t>(address >> 16)};
        LnkErc erc = -1;
        ASSERT_TRUE(LnkPutRegSet(handle_, regs, data, 3, &erc, nullptr));
    }

    LnkHandle handle_ = 0;
};

TEST_F(DataCallTest, RamRoundTripThroughTheLibrary) {
    std::vector<uint8_t> data(8192);
    for (size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<uint8_t>(i * 13);
    }
    SetAddress(0xFFF000);
    LnkErc erc = -1;
    ASSERT_TRUE(LnkPutRegRepeat(handle_, 6, data.data(), 8192, &erc, nullptr));
    EXPECT_EQ(erc, LNK_ERC_OK);
    std::vector<uint8_t> back(8192);
    SetAddress(0xFFF000);
    ASSERT_TRUE(LnkGetRegRepeat(handle_, 6, back.data(), 8192, &erc, nullptr));
    EXPECT_EQ(back, data);
    uint8_t low = 0;
    ASSERT_TRUE(LnkGetReg(handle_, 1, &low, &erc, nullptr));
    EXPECT_EQ(low, 0x00); // 0xFFF000 + 8192 wrapped to 0x001000
}

TEST_F(DataCallTest, OversizedOrNegativeCountsFailWithoutTouchingMemory) {
    std::vector<uint8_t> buffer(8200, kGuard);
    LnkErc erc = 0;
    for (int32_t count : {-1, 8193, INT32_MIN, INT32_MAX}) {
        EXPECT_FALSE(LnkGetRegRepeat(handle_, 6, buffer.data(), count, &erc, nullptr));
        EXPECT_EQ(erc, LNK_ERC_BAD_COUNT);
        EXPECT_FALSE(LnkPutRegRepeat(handle_, 6, buffer.data(), count, &erc, nullptr));
    }
    EXPECT_EQ(std::count(buffer.begin(), buffer.end(), kGuard), 8200);
    auto ram = LnkSimBoard("SimBoard")->Ram();
    EXPECT_EQ(std::count(ram.begin(), ram.begin() + 9000, 0), 9000);
}

TEST_F(DataCallTest, SetsAboveSixtyEightPairsFailWithoutTouchingTheArrays) {
    std::array<uint8_t, 70> regs{};
    std::array<uint8_t, 70> values{};
    values.fill(kGuard);
    regs.fill(6);
    LnkErc erc = 0;
    EXPECT_FALSE(LnkGetRegSet(handle_, regs.data(), values.data(), 69, &erc, nullptr));
    EXPECT_EQ(erc, LNK_ERC_BAD_COUNT);
    EXPECT_FALSE(LnkGetRegSet(handle_, regs.data(), values.data(), -5, &erc, nullptr));
    EXPECT_EQ(std::count(values.begin(), values.end(), kGuard), 70);
    EXPECT_FALSE(LnkPutRegSet(handle_, regs.data(), values.data(), 69, &erc, nullptr));
    EXPECT_EQ(LnkSimBoard("SimBoard")->Ram()[0], 0);
    // 68 pairs is the limit and works.
    EXPECT_TRUE(LnkGetRegSet(handle_, regs.data(), values.data(), 68, &erc, nullptr));
    EXPECT_EQ(values[67], 0);
    EXPECT_EQ(values[68], kGuard);
}

TEST_F(DataCallTest, NullPointersAndReservedArgumentsFailCleanly) {
    LnkErc erc = 0;
    uint8_t value = 0;
    EXPECT_FALSE(LnkGetReg(handle_, 6, nullptr, &erc, nullptr));
    EXPECT_EQ(erc, LNK_ERC_NULL_POINTER);
    EXPECT_FALSE(LnkGetRegRepeat(handle_, 6, nullptr, 4, &erc, nullptr));
    EXPECT_FALSE(LnkPutRegSet(handle_, nullptr, &value, 1, &erc, nullptr));
    EXPECT_FALSE(LnkOpenData(nullptr, "SimBoard", &erc, nullptr));
    LnkHandle other = 0;
    EXPECT_FALSE(LnkOpenData(&other, nullptr, &erc, nullptr));
    EXPECT_FALSE(LnkGetReg(handle_, 6, &value, &erc, &value));
    EXPECT_EQ(erc, LNK_ERC_RESERVED);
    EXPECT_TRUE(LnkPutReg(handle_, 1, 0x10, nullptr, nullptr)); // no error variable: allowed
}

TEST_F(DataCallTest, UnknownHandlesAndDevicesFail) {
    LnkErc erc = 0;
    uint8_t value = 0;
    EXPECT_FALSE(LnkGetReg(0, 1, &value, &erc, nullptr));
    EXPECT_EQ(erc, LNK_ERC_UNKNOWN_HANDLE);
    EXPECT_FALSE(LnkGetReg(handle_ + 1, 1, &value, &erc, nullptr));
    EXPECT_FALSE(LnkGetReg(handle_ ^ 0x100, 1, &value, &erc, nullptr)); // same slot, other age
    LnkHandle other = 5;
    EXPECT_FALSE(LnkOpenData(&other, "NoSuchBoard", &erc, nullptr));
    EXPECT_EQ(erc, LNK_ERC_UNKNOWN_DEVICE);
    EXPECT_EQ(other, 0u);
    ASSERT_TRUE(LnkCloseData(handle_, &erc));
    EXPECT_FALSE(LnkCloseData(handle_, &erc));
    EXPECT_FALSE(LnkPutReg(handle_, 1, 1, &erc, nullptr));
    EXPECT_EQ(erc, LNK_ERC_UNKNOWN_HANDLE);
    // A new handle for the same slot is not the old one.
    EXPECT_NE(Open(), handle_);
}

TEST_F(DataCallTest, BoardStaysPoweredBetweenOpens) {
    const uint8_t data[] = {0x12, 0x34};
    SetAddress(0x100);
    LnkErc erc = -1;
    ASSERT_TRUE(LnkPutRegRepeat(handle_, 7, data, 2, &erc, nullptr)); // Flash now reports status
    ASSERT_TRUE(LnkCloseData(handle_, &erc));
    handle_ = Open();
    uint8_t back[2] = {};
    SetAddress(0x100);
    ASSERT_TRUE(LnkGetRegRepeat(handle_, 7, back, 2, &erc, nullptr));
    EXPECT_EQ(back[0], 0x80);
    EXPECT_EQ(back[1], 0x80);
}

TEST_F(DataCallTest, ImagesCarryTheMemoriesAcrossTermAndInit) {
    std::vector<uint8_t> data(3000);
    for (size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<uint8_t>(i ^ 0x5A);
    }
    LnkErc erc = -1;
    SetAddress(0x20000);
    ASSERT_TRUE(LnkPutRegRepeat(handle_, 6, data.data(), 3000, &erc, nullptr));
    SetAddress(0x7C000);
    ASSERT_TRUE(LnkPutRegRepeat(handle_, 7, data.data(), 3000, &erc, nullptr));
    LnkTerm();
    Init();
    handle_ = Open();
    std::vector<uint8_t> back(3000);
    SetAddress(0x20000);
    ASSERT_TRUE(LnkGetRegRepeat(handle_, 6, back.data(), 3000, &erc, nullptr));
    EXPECT_EQ(back, data);
    SetAddress(0x7C000);
    ASSERT_TRUE(LnkGetRegRepeat(handle_, 7, back.data(), 3000, &erc, nullptr));
    EXPECT_EQ(back, data);
    EXPECT_TRUE(std::filesystem::exists(dir_ + "/data/SimBoard.flash"));
}

TEST_F(DataCallTest, InjectedFailureMakesTheCallFail) {
    tessary::board::FaultConfig faults;
    faults.failAccess = 1;
    LnkSimBoard("SimBoard")->SetFaults(faults);
    LnkErc erc = 0;
    EXPECT_FALSE(LnkPutReg(handle_, 1, 0x10, &erc, nullptr));
    EXPECT_EQ(erc, LNK_ERC_ACCESS_FAILED);
    EXPECT_TRUE(LnkPutReg(handle_, 1, 0x10, &erc, nullptr));
    EXPECT_EQ(erc, LNK_ERC_OK);
}

TEST_F(DataCallTest, FaultsCanBeSetInTheTable) {
    LnkTerm();
    WriteTable("Flaky sim fail-access=2 busy=0 locked=1,6\n");
    Init();
    handle_ = Open("Flaky");
    LnkErc erc = 0;
    EXPECT_TRUE(LnkPutReg(handle_, 1, 0, &erc, nullptr));
    EXPECT_FALSE(LnkPutReg(handle_, 1, 0, &erc, nullptr));
    const auto& config = LnkSimBoard("Flaky")->config();
    EXPECT_EQ(config.lockedBlocks, (std::vector<uint32_t>{1, 6}));
    EXPECT_EQ(config.busyReads, 0u);
}

TEST_F(DataCallTest, TraceHookSeesEachCallWithItsBytes) {
    struct Seen {
        LnkTraceCall call;
        uint8_t address;
        std::vector<uint8_t> addresses;
        std::vector<uint8_t> data;
        int32_t count;
        bool result;
    };
    std::vector<Seen> seen;
    LnkSimSetTraceHook([&](const LnkTraceEvent& e) {
        seen.push_back({e.call,
                        e.address,
                        {e.addresses.begin(), e.addresses.end()},
                        {e.data.begin(), e.data.end()},
                        e.count,
                        e.result});
    });
    SetAddress(0x7A000);
    const uint8_t bytes[] = {9, 8};
    LnkErc erc = 0;
    ASSERT_TRUE(LnkPutRegRepeat(handle_, 6, bytes, 2, &erc, nullptr));
    uint8_t value = 0;
    ASSERT_TRUE(LnkGetReg(handle_, 2, &value, &erc, nullptr));
    EXPECT_FALSE(LnkGetRegRepeat(handle_, 6, &value, -3, &erc, nullptr));
    LnkSimSetTraceHook({});
    ASSERT_TRUE(LnkGetReg(handle_, 2, &value, &erc, nullptr));

    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0].call, LnkTraceCall::PutRegSet);
    EXPECT_EQ(seen[0].addresses, (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(seen[0].data, (std::vector<uint8_t>{0x00, 0xA0, 0x07}));
    EXPECT_EQ(seen[1].call, LnkTraceCall::PutRegRepeat);
    EXPECT_EQ(seen[1].address, 6);
    EXPECT_EQ(seen[1].data, (std::vector<uint8_t>{9, 8}));
    EXPECT_EQ(seen[2].call, LnkTraceCall::GetReg);
    EXPECT_EQ(seen[2].data, (std::vector<uint8_t>{0xA0}));
    EXPECT_EQ(seen[3].count, -3);
    EXPECT_FALSE(seen[3].result);
    EXPECT_TRUE(seen[3].data.empty());
}

} // namespace
} // namespace tessary::lnkutil::test
