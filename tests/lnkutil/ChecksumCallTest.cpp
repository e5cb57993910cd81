// LnkBoardChecksum on a simulated board: the CRC of what the data register gives, the address
// advanced past it, and the arguments checked before anything is read.
#include "Crc32.h"
#include "LnkFixture.h"
#include "lnkutil_ext.h"

#include <vector>

namespace tessary::lnkutil::test {
namespace {

class ChecksumCallTest : public LnkFixture {
  protected:
    void SetUp() override {
        LnkFixture::SetUp();
        WriteTable("SimBoard sim checksum=yes\n");
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
    uint32_t Address() {
        uint32_t address = 0;
        for (uint8_t reg = 3; reg >= 1; --reg) {
            uint8_t value = 0;
            LnkErc erc = -1;
            EXPECT_TRUE(LnkGetReg(handle_, reg, &value, &erc, nullptr));
            address = address << 8 | value;
        }
        return address;
    }

    LnkHandle handle_ = 0;
};

TEST_F(ChecksumCallTest, TheCrcOfWhatTheRegisterGivesAndTheAddressAfterIt) {
    std::vector<uint8_t> data(10000);
    for (size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<uint8_t>(i * 7 + (i >> 9));
    }
    SetAddress(0x10000);
    LnkErc erc = -1;
    ASSERT_TRUE(LnkPutRegRepeat(handle_, 6, data.data(), 8192, &erc, nullptr));
    ASSERT_TRUE(LnkPutRegRepeat(handle_, 6, data.data() + 8192, 10000 - 8192, &erc, nullptr));
    struct Case {
        uint8_t reg;
        uint32_t address;
        int32_t count;
        uint32_t crc;
    };
    const Case cases[] = {
        {6, 0x10000, 10000, Crc32Of(data.data(), data.size())},
        {6, 0x10001, 1, Crc32Of(data.data() + 1, 1)},
        {7, 0x40000, 70000, Crc32OfRepeated(0xFF, 70000)}, // an erased Flash
    };
    for (const Case& c : cases) {
        SetAddress(c.address);
        uint32_t crc = 0;
        ASSERT_TRUE(LnkBoardChecksum(handle_, c.reg, c.count, &crc, &erc)) << erc;
        EXPECT_EQ(erc, LNK_ERC_OK);
        EXPECT_EQ(crc, c.crc) << c.address;
        EXPECT_EQ(Address(), c.address + static_cast<uint32_t>(c.count));
    }
}

TEST_F(ChecksumCallTest, ACountOfZeroOnlyAsks) {
    SetAddress(0x123);
    uint32_t crc = 0x5A5A5A5A;
    LnkErc erc = -1;
    EXPECT_TRUE(LnkBoardChecksum(handle_, 6, 0, &crc, &erc));
    EXPECT_EQ(erc, LNK_ERC_OK);
    EXPECT_EQ(crc, 0x5A5A5A5Au);
    EXPECT_EQ(Address(), 0x123u);
}

TEST_F(ChecksumCallTest, ArgumentsAreCheckedBeforeAnythingIsRead) {
    SetAddress(0x123);
    struct Case {
        LnkHandle handle;
        int32_t count;
        bool crc;
        LnkErc erc;
    };
    const Case cases[] = {
        {handle_, -1, true, LNK_ERC_BAD_COUNT},
        {handle_, 0x1000000, true, LNK_ERC_BAD_COUNT},
        {handle_, INT32_MIN, true, LNK_ERC_BAD_COUNT},
        {handle_, 4, false, LNK_ERC_NULL_POINTER},
        {0, 4, true, LNK_ERC_UNKNOWN_HANDLE},
        {handle_ + 1, 4, true, LNK_ERC_UNKNOWN_HANDLE},
    };
    for (const Case& c : cases) {
        uint32_t crc = 0x5A5A5A5A;
        LnkErc erc = -1;
        EXPECT_FALSE(LnkBoardChecksum(c.handle, 6, c.count, c.crc ? &crc : nullptr, &erc));
        EXPECT_EQ(erc, c.erc) << c.count;
        EXPECT_EQ(crc, 0x5A5A5A5Au);
    }
    EXPECT_EQ(Address(), 0x123u);
}

} // namespace
} // namespace tessary::lnkutil::test
