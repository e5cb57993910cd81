#include "MemoryController.h"
#include "FlashGeometry.h"
#include "PortFactory.h"
#include "SimBoard.h"
#include "SimFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <numeric>
#include <optional>
#include <vector>

namespace tessary {
namespace {

using testing::SimBoardTest;
using testing::TracedCall;

class MemoryControllerTest : public SimBoardTest {
  protected:
    std::unique_ptr<RegisterPort> port;
    std::optional<MemoryController> controller;

    // The port the session selects and a controller over it.
    void Build() {
        port = BuildPort(session).port;
        ASSERT_TRUE(port);
        controller.emplace(session, *port);
    }
    void Connect() {
        Build();
        ASSERT_TRUE(controller->Connect(session.deviceName.c_str()));
        trace.clear();
    }
    void TearDown() override {
        controller.reset();
        port.reset(); // closes the port
        SimBoardTest::TearDown();
    }
    static std::vector<uint8_t> Pattern(size_t size, uint8_t seed) {
        std::vector<uint8_t> bytes(size);
        std::iota(bytes.begin(), bytes.end(), seed);
        for (size_t i = 0; i < size; i += 7) {
            bytes[i] ^= static_cast<uint8_t>(i >> 8);
        }
        return bytes;
    }
    static std::vector<uint8_t> Set(const TracedCall& call) { return call.data; }
};

TEST_F(MemoryControllerTest, ConnectOpensProbesAndLeavesTheControllerIdle) {
    Build();
    ASSERT_TRUE(controller->Connect(session.deviceName.c_str()));
    EXPECT_TRUE(controller->IsConnected());
    EXPECT_STREQ(controller->Identity(), "Tessary simulated board, 512K Flash");
    ASSERT_EQ(trace.size(), 1u);
    EXPECT_EQ(trace[0].call, LnkTraceCall::PutReg);
    EXPECT_EQ(trace[0].address, 0);
    EXPECT_EQ(trace[0].data, std::vector<uint8_t>{0xFF});
    EXPECT_TRUE(controller->Disconnect());
    EXPECT_FALSE(controller->IsConnected());
}

TEST_F(MemoryControllerTest, ConnectToAnUnknownDeviceFailsUnconnected) {
    Build();
    session.deviceName = "NoSuchBoard";
    EXPECT_FALSE(controller->Connect("NoSuchBoard"));
    EXPECT_FALSE(controller->IsConnected());
    EXPECT_TRUE(trace.empty());
}

TEST_F(MemoryControllerTest, AddressBitsAbove23AreNeverSent) {
    Connect();
    ASSERT_TRUE(controller->SetAddress(0x107A000));
    // The first address of a controller is read back; later ones are not.
    ASSERT_TRUE(controller->SetAddress(0x12345));
    ASSERT_EQ(trace.size(), 3u);
    EXPECT_EQ(trace[0].call, LnkTraceCall::PutRegSet);
    EXPECT_EQ(trace[0].registers, (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(trace[0].data, (std::vector<uint8_t>{0x00, 0xA0, 0x07}));
    EXPECT_EQ(trace[1].call, LnkTraceCall::GetRegSet);
    EXPECT_EQ(trace[1].registers, (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(trace[1].data, (std::vector<uint8_t>{0x00, 0xA0, 0x07}));
    EXPECT_EQ(trace[2].call, LnkTraceCall::PutRegSet);
}

// Registers outside the controller's block read 0xFF: address registers that read back so after
// another address was set mean no controller at the base, and no data moves. An address of all
// ones tells nothing and is not refused.
TEST_F(MemoryControllerTest, NoControllerAtTheRegisterBaseIsFoundBeforeDataMoves) {
    session.registerBase = 0x40;
    Connect();
    ASSERT_TRUE(controller->SetAddress(0xFFFFFF));
    const auto data = Pattern(512, 1);
    EXPECT_FALSE(controller->WriteRam(0x2000, data.data(), 512));
    EXPECT_TRUE(controller->ControllerMissing());
    EXPECT_EQ(controller->FailureText(),
              "no memory controller answers at register base 0x40 (the address registers read "
              "0xFF); check the register base");
    // Once found, every later access fails the same way without sending anything.
    const size_t sent = trace.size();
    EXPECT_FALSE(controller->EraseBlock(0));
    EXPECT_EQ(controller->ErrorCode(), kErrNoController);
    EXPECT_EQ(trace.size(), sent);
    EXPECT_TRUE(std::none_of(trace.begin(), trace.end(), [](const TracedCall& call) {
        return call.call == LnkTraceCall::PutRegRepeat;
    }));
}

TEST_F(MemoryControllerTest, EraseBlockSendsTheElevenPairsAsOneSet) {
    Connect();
    ASSERT_TRUE(controller->EraseBlock(0x78000));
    ASSERT_EQ(trace.size(), 2u); // the set, then the read-back of the address
    EXPECT_EQ(trace[0].call, LnkTraceCall::PutRegSet);
    EXPECT_EQ(trace[0].registers, (std::vector<uint8_t>{1, 2, 3, 4, 0, 0, 0, 4, 0, 0, 0}));
    EXPECT_EQ(trace[0].data, (std::vector<uint8_t>{0x00, 0x80, 0x07, 0x20, 0xF5, 0xF7, 0xFF, 0xD0,
                                                   0xF5, 0xF7, 0xFF}));
}

TEST_F(MemoryControllerTest, FlashCommandsAndStatusReadTraffic) {
    Connect();
    ASSERT_TRUE(controller->ReadArrayMode());
    ASSERT_TRUE(controller->ClearStatus());
    uint8_t flashStatus = 0;
    ASSERT_TRUE(controller->ReadFlashStatus(flashStatus));
    ASSERT_EQ(trace.size(), 5u);
    EXPECT_EQ(trace[0].registers, (std::vector<uint8_t>{4, 0, 0, 0}));
    EXPECT_EQ(trace[0].data, (std::vector<uint8_t>{0xFF, 0xF5, 0xF7, 0xFF}));
    EXPECT_EQ(trace[1].data, (std::vector<uint8_t>{0x50, 0xF5, 0xF7, 0xFF}));
    EXPECT_EQ(trace[2].call, LnkTraceCall::PutReg);
    EXPECT_EQ(trace[2].data, std::vector<uint8_t>{0xF6});
    EXPECT_EQ(trace[3].call, LnkTraceCall::GetReg);
    EXPECT_EQ(trace[3].address, 5);
    EXPECT_EQ(trace[4].data, std::vector<uint8_t>{0xFF});
    EXPECT_EQ(flashStatus & 0x80, 0x80);
}

TEST_F(MemoryControllerTest, StatusReadReturnsTheStrobeToIdleEvenWhenTheReadFails) {
    Connect();
    board::FaultConfig faults;
    faults.failAccess = 2; // the GetReg of the status register
    Board().SetFaults(faults);
    uint8_t flashStatus = 0;
    EXPECT_FALSE(controller->ReadFlashStatus(flashStatus));
    EXPECT_EQ(controller->ErrorCode(), kErrReadIncomplete);
    EXPECT_EQ(trace.size(), 3u);
    EXPECT_EQ(Board().control(), 0xFF);
}

TEST_F(MemoryControllerTest, RegisterBaseAtTheTopPlacesDataRegistersAt0xFEAnd0xFF) {
    UseDevice("SimHighBase", 0);
    session.registerBase = 0xF8;
    Connect();
    const auto data = Pattern(64, 3);
    ASSERT_TRUE(controller->WriteRam(0x100, data.data(), 64));
    ASSERT_TRUE(controller->EraseBlock(0));
    EXPECT_EQ(trace[0].registers, (std::vector<uint8_t>{0xF9, 0xFA, 0xFB}));
    EXPECT_EQ(trace[1].registers, (std::vector<uint8_t>{0xF9, 0xFA, 0xFB}));
    EXPECT_EQ(trace[2].address, 0xFE);
    EXPECT_EQ(trace[3].registers, (std::vector<uint8_t>{0xF9, 0xFA, 0xFB, 0xFC, 0xF8, 0xF8, 0xF8,
                                                        0xFC, 0xF8, 0xF8, 0xF8}));
    EXPECT_TRUE(std::equal(data.begin(), data.end(), Board().Ram().begin() + 0x100));
}

// Status reads enough for any erase of the simulated chip (each takes a microsecond or more).
constexpr int kMostPolls = 10'000'000;

TEST_F(MemoryControllerTest, RamRoundTripAcrossThe24BitWrap) {
    Connect();
    const auto data = Pattern(20000, 9);
    const uint32_t start = 0xFFF000;
    for (int32_t done = 0; done < 20000; done += TransferBlockSize) {
        const int32_t count = std::min<int32_t>(TransferBlockSize, 20000 - done);
        ASSERT_TRUE(controller->WriteRam(start + done, data.data() + done, count));
    }
    // 0x1000 bytes sit at the top of RAM (whose address lines end at its size), the rest
    // continues at address 0.
    auto ram = Board().Ram();
    EXPECT_TRUE(std::equal(data.begin(), data.begin() + 0x1000, ram.end() - 0x1000));
    EXPECT_TRUE(std::equal(data.begin() + 0x1000, data.end(), ram.begin()));

    std::vector<uint8_t> back(20000);
    for (int32_t done = 0; done < 20000; done += TransferBlockSize) {
        const int32_t count = std::min<int32_t>(TransferBlockSize, 20000 - done);
        ASSERT_TRUE(controller->ReadRam(start + done, back.data() + done, count));
    }
    EXPECT_EQ(back, data);
}

TEST_F(MemoryControllerTest, FlashEraseProgramReadArrayReadBack) {
    Connect();
    const uint32_t block = BlockAddress(session.memoryConfiguration, 5); // 0x7A000, 8K
    ASSERT_TRUE(controller->EraseBlock(block));
    uint8_t flashStatus = 0;
    int polls = 0;
    do {
        ASSERT_TRUE(controller->ReadFlashStatus(flashStatus));
        ++polls;
    } while ((flashStatus & 0x80) == 0 && polls < kMostPolls);
    EXPECT_GT(polls, 1); // the chip was busy for a while
    EXPECT_EQ(flashStatus, 0x80);

    const auto data = Pattern(TransferBlockSize, 0x40);
    ASSERT_TRUE(controller->WriteFlash(block, data.data(), TransferBlockSize));
    ASSERT_TRUE(controller->ReadArrayMode());
    std::vector<uint8_t> back(TransferBlockSize);
    ASSERT_TRUE(controller->ReadFlash(block, back.data(), TransferBlockSize));
    EXPECT_EQ(back, data);
}

TEST_F(MemoryControllerTest, FlashReadWithoutReadArrayGivesStatusNotData) {
    Connect();
    const auto data = Pattern(256, 0x10);
    ASSERT_TRUE(controller->EraseBlock(0));
    uint8_t flashStatus = 0;
    for (int i = 0; i < kMostPolls && (flashStatus & 0x80) == 0; ++i) {
        ASSERT_TRUE(controller->ReadFlashStatus(flashStatus));
    }
    ASSERT_TRUE(controller->WriteFlash(0, data.data(), 256));
    std::vector<uint8_t> back(256);
    ASSERT_TRUE(controller->ReadFlash(0, back.data(), 256));
    EXPECT_NE(back, data);
    EXPECT_TRUE(std::all_of(back.begin(), back.end(), [](uint8_t b) { return b == 0x80; }));
}

TEST_F(MemoryControllerTest, ATransferWhoseAddressFailsMovesNoData) {
    Connect();
    board::FaultConfig faults;
    faults.failAccess = 1;
    Board().SetFaults(faults);
    const auto data = Pattern(512, 1);
    EXPECT_FALSE(controller->WriteRam(0x2000, data.data(), 512));
    EXPECT_EQ(controller->ErrorCode(), kErrWriteIncomplete);
    ASSERT_EQ(trace.size(), 1u);
    EXPECT_EQ(trace[0].call, LnkTraceCall::PutRegSet);
    EXPECT_TRUE(std::all_of(Board().Ram().begin() + 0x2000, Board().Ram().begin() + 0x2200,
                            [](uint8_t b) { return b == 0; }));
}

} // namespace
} // namespace tessary
