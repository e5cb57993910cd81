// Store Flash end to end, and load -> store round trips through every memory configuration.
#include "EraseFlash.h"
#include "FlashGeometry.h"
#include "LoadOperations.h"
#include "SimBoard.h"
#include "SimFixture.h"
#include "StoreOperations.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tessary::testing {
namespace {

class StoreFlashTest : public SimBoardTest {
  protected:
    void Store(const std::string& name, int32_t address, int32_t length,
               OutputMode mode = OutputMode::Replace) {
        StoreRequest request{TempPath(name), address, length, mode, 0};
        StoreFlashToFile(session, request, status, messages);
    }
};

TEST_F(StoreFlashTest, OneBlockStoreSendsReadArrayAddressStatusThenTheRead) {
    Store("out.bin", 0x7A010, 100);
    ASSERT_EQ(status.texts,
              (std::vector<std::string>{"Reading block: 1",
                                        "Flash Store complete. Total bytes transferred: 100"}));
    const std::vector<uint8_t> address{0x10, 0xA0, 0x07};
    ASSERT_EQ(trace.size(), 9u);
    // connect: controller to idle
    EXPECT_EQ(trace[0].call, LnkTraceCall::PutReg);
    EXPECT_EQ(trace[0].data, (std::vector<uint8_t>{0xFF}));
    // read-array command
    EXPECT_EQ(trace[1].registers, (std::vector<uint8_t>{4, 0, 0, 0}));
    EXPECT_EQ(trace[1].data, (std::vector<uint8_t>{0xFF, 0xF5, 0xF7, 0xFF}));
    // start address
    EXPECT_EQ(trace[2].registers, (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(trace[2].data, address);
    // the address read back, once
    EXPECT_EQ(trace[3].call, LnkTraceCall::GetRegSet);
    EXPECT_EQ(trace[3].data, address);
    // one status read
    EXPECT_EQ(trace[4].call, LnkTraceCall::PutReg);
    EXPECT_EQ(trace[4].data, (std::vector<uint8_t>{0xF6}));
    EXPECT_EQ(trace[5].call, LnkTraceCall::GetReg);
    EXPECT_EQ(trace[5].address, 5);
    EXPECT_EQ(trace[6].data, (std::vector<uint8_t>{0xFF})); // strobe back to idle
    // the block: address again, then the Flash data register
    EXPECT_EQ(trace[7].data, address);
    EXPECT_EQ(trace[8].call, LnkTraceCall::GetRegRepeat);
    EXPECT_EQ(trace[8].address, 7);
    EXPECT_EQ(trace[8].count, 100);
    EXPECT_EQ(ReadFile(TempPath("out.bin")), Flash(0x7A010, 100));
}

TEST_F(StoreFlashTest, StoreAfterAnEraseReadsTheArrayNotTheStatus) {
    const auto flash = Board().FlashMemory();
    std::fill(flash.begin(), flash.end(), 0x12);
    EraseFlashBlocks(session, std::vector<int32_t>{0}, status, messages);
    Store("out.bin", 0, 0x20000);
    EXPECT_EQ(ReadFile(TempPath("out.bin")), std::vector<uint8_t>(0x20000, 0xFF));
}

TEST_F(StoreFlashTest, FailuresUseTheFlashTexts) {
    ::mkdir(TempPath("folder").c_str(), 0755);
    Store("folder", 0, 10);
    session.deviceName = "NoSuchBoard";
    WriteFile(TempPath("keep.bin"), {1, 2, 3});
    Store("keep.bin", 0, 10);
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].text, "Unable to open specified file.");
    EXPECT_EQ(messages.shown[0].caption, "Error");
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::None);
    EXPECT_EQ(messages.shown[1].text, "Unable to connect to target board");
    EXPECT_EQ(messages.shown[1].caption, "Flash Store Error");
    EXPECT_EQ(messages.shown[1].icon, MessageIcon::Error);
    EXPECT_EQ(status.texts, (std::vector<std::string>{"Flash Store error"}));
    EXPECT_EQ(ReadFile(TempPath("keep.bin")), (std::vector<uint8_t>{1, 2, 3}));
}

struct RoundTrip {
    const char* device;
    int32_t configuration;
};

class FlashRoundTrip : public StoreFlashTest, public ::testing::WithParamInterface<RoundTrip> {};

// The whole Flash, loaded with erase and verify, stored back byte for byte.
TEST_P(FlashRoundTrip, LoadThenStoreIsByteExact) {
    UseDevice(GetParam().device, GetParam().configuration);
    const auto size = static_cast<int32_t>(FlashSize(session.memoryConfiguration));
    const auto file = MakeFile(TempPath("in.bin"), static_cast<std::size_t>(size), 5);
    LoadRequest load;
    load.fileName = TempPath("in.bin");
    load.verify = true;
    load.autoErase = true;
    LoadFlashOperation(session, load, status, messages);
    ASSERT_EQ(status.Last(),
              "Flash Load complete. Total bytes transferred: " + std::to_string(size));
    EXPECT_EQ(ErasedAddresses().size(),
              static_cast<std::size_t>(BlockCount(session.memoryConfiguration)));

    Store("out.bin", 0, size);
    EXPECT_EQ(status.Last(),
              "Flash Store complete. Total bytes transferred: " + std::to_string(size));
    EXPECT_TRUE(ReadFile(TempPath("out.bin")) == file);
    EXPECT_TRUE(messages.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(Configurations, FlashRoundTrip,
                         ::testing::Values(RoundTrip{"SimQ0", 0}, RoundTrip{"SimQ0", 1},
                                           RoundTrip{"SimQ3", 3}, RoundTrip{"SimP4", 5},
                                           RoundTrip{"SimP16", 6}));

} // namespace
} // namespace tessary::testing
