#include "LibraryPort.h"
#include "Cancel.h"
#include "SimBoard.h"
#include "SimFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tessary {
namespace {

using testing::SimBoardTest;

class LibraryPortTest : public SimBoardTest {
  protected:
    LibraryPort port{session};
    void SetUp() override {
        SimBoardTest::SetUp();
        ASSERT_TRUE(port.Initialize());
    }
};

TEST_F(LibraryPortTest, DeviceNameFieldHoldsAtMost31Characters) {
    const std::string name31(31, 'a');
    port.SetDeviceName(name31.c_str());
    EXPECT_EQ(std::string(port.DeviceName()), name31);
    const std::string name32(32, 'b');
    port.SetDeviceName(name32.c_str());
    EXPECT_STREQ(port.DeviceName(), "");
}

TEST_F(LibraryPortTest, RegisterOperationsOnAPortNeverOpenedFailWithoutALibraryCall) {
    uint8_t byte = 0x55;
    uint8_t bytes[4] = {};
    RegisterPair pairs[2] = {{1, 2}, {3, 4}};
    EXPECT_FALSE(port.GetReg(5, byte));
    EXPECT_EQ(byte, 0x0A); // stored before the open test
    EXPECT_EQ(port.ErrorCode(), kErrPortNotOpen);
    EXPECT_FALSE(port.PutReg(0, 0xFF));
    EXPECT_FALSE(port.PutRegRepeat(4, 6, bytes));
    EXPECT_FALSE(port.PutRegSet(2, pairs));
    EXPECT_FALSE(port.GetRegRepeat(4, 6, bytes));
    EXPECT_FALSE(port.GetRegSet(2, pairs));
    EXPECT_FALSE(port.IsOpen());
    char identity[64] = "x";
    EXPECT_FALSE(port.GetIdentity(64, identity));
    EXPECT_EQ(port.ErrorCode(), kErrPortNotOpen);
    EXPECT_TRUE(trace.empty());
    EXPECT_EQ(pairs[0].data, 2); // untouched
}

TEST_F(LibraryPortTest, ProbeReportsPresentEvenWhenClosed) {
    bool present = false;
    EXPECT_TRUE(port.Probe(present));
    EXPECT_TRUE(present);
}

TEST_F(LibraryPortTest, OpensTheApplicationsDeviceNotItsOwnField) {
    port.SetDeviceName("NoSuchBoard");
    ASSERT_TRUE(port.Open()); // the session names SimQ0
    EXPECT_EQ(port.Flags(), RegisterPort::kFlagInitialised | RegisterPort::kFlagOpen);
    char identity[64] = "stale";
    EXPECT_TRUE(port.GetIdentity(64, identity));
    EXPECT_STREQ(identity, "Tessary simulated board, 512K Flash"); // SimQ0's, from the library
    EXPECT_TRUE(port.Close());
    EXPECT_EQ(port.Flags(), RegisterPort::kFlagInitialised);

    session.deviceName = "NoSuchBoard";
    EXPECT_FALSE(port.Open());
    EXPECT_EQ(port.Flags(), RegisterPort::kFlagInitialised);
}

TEST_F(LibraryPortTest, CloseWithoutHandleSucceedsAndUninitializeClearsTheFlag) {
    EXPECT_EQ(port.Handle(), 0u);
    EXPECT_TRUE(port.Close());
    port.Uninitialize();
    EXPECT_EQ(port.Flags(), 0u);
}

TEST_F(LibraryPortTest, SetsSplitIntoArraysInOrder) {
    ASSERT_TRUE(port.Open());
    const RegisterPair pairs[] = {{1, 0x11}, {2, 0x22}, {3, 0x33}};
    ASSERT_TRUE(port.PutRegSet(3, pairs));
    ASSERT_EQ(trace.size(), 1u);
    EXPECT_EQ(trace[0].registers, (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(trace[0].data, (std::vector<uint8_t>{0x11, 0x22, 0x33}));
    EXPECT_EQ(Board().address(), 0x332211u);

    RegisterPair read[] = {{1, 0}, {4, 0}};
    // The address registers are write-only on the board; what matters is that each pair gets
    // the value read from its own address.
    ASSERT_TRUE(port.GetRegSet(2, read));
    ASSERT_EQ(trace.size(), 2u);
    EXPECT_EQ(trace[1].registers, (std::vector<uint8_t>{1, 4}));
    EXPECT_EQ(read[0].data, trace[1].data[0]);
    EXPECT_EQ(read[1].data, trace[1].data[1]);
}

TEST_F(LibraryPortTest, OverlongOrNegativeSetsAreRefusedBeforeAnyCopy) {
    ASSERT_TRUE(port.Open());
    std::vector<RegisterPair> pairs(LibraryPort::kMaxSetPairs + 1, RegisterPair{6, 0xAB});
    EXPECT_FALSE(port.PutRegSet(static_cast<int32_t>(pairs.size()), pairs.data()));
    EXPECT_EQ(port.ErrorCode(), kErrWriteIncomplete);
    EXPECT_FALSE(port.PutRegSet(-1, pairs.data()));
    EXPECT_FALSE(port.GetRegSet(static_cast<int32_t>(pairs.size()), pairs.data()));
    EXPECT_EQ(port.ErrorCode(), kErrReadIncomplete);
    EXPECT_TRUE(trace.empty());
    EXPECT_EQ(pairs.back().data, 0xAB);
    // 68 pairs is the most the port carries in one call.
    pairs.resize(LibraryPort::kMaxSetPairs);
    EXPECT_TRUE(port.PutRegSet(static_cast<int32_t>(pairs.size()), pairs.data()));
}

TEST_F(LibraryPortTest, LibraryFailuresBecomeWriteAndReadErrors) {
    ASSERT_TRUE(port.Open());
    board::FaultConfig faults;
    faults.failAccess = 1;
    Board().SetFaults(faults);
    RegisterPair pairs[] = {{1, 0x77}, {2, 0x88}};
    EXPECT_FALSE(port.GetRegSet(2, pairs));
    EXPECT_EQ(port.ErrorCode(), kErrReadIncomplete);
    EXPECT_EQ(pairs[0].data, 0x77); // a failed read leaves the caller's pairs as they were
    EXPECT_EQ(pairs[1].data, 0x88);

    Board().SetFaults(faults);
    EXPECT_FALSE(port.PutReg(0, 0xFF));
    EXPECT_EQ(port.ErrorCode(), kErrWriteIncomplete);
    // A successful operation does not reset the code.
    EXPECT_TRUE(port.PutReg(0, 0xFF));
    EXPECT_EQ(port.ErrorCode(), kErrWriteIncomplete);
}

// A simulated board whose entry says checksum=yes computes the checksum through the library; the
// port knows it once open. Others offer none.
TEST_F(LibraryPortTest, TheBoardsChecksumThroughTheLibrary) {
    uint32_t crc = 0;
    ASSERT_TRUE(port.Open());
    EXPECT_FALSE(port.OffersChecksum());
    EXPECT_TRUE(port.Close());
    UseDevice("SimSum", 0);
    EXPECT_FALSE(port.OffersChecksum());
    EXPECT_FALSE(port.Checksum(4, 6, crc, CancelToken::Never()));
    EXPECT_EQ(port.ErrorCode(), kErrPortNotOpen);
    ASSERT_TRUE(port.Open());
    EXPECT_TRUE(port.OffersChecksum());
    const uint8_t data[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    const RegisterPair address[] = {{1, 0x00}, {2, 0x30}, {3, 0x00}};
    ASSERT_TRUE(port.PutRegSet(3, address));
    ASSERT_TRUE(port.PutRegRepeat(9, 6, data));
    ASSERT_TRUE(port.PutRegSet(3, address));
    ASSERT_TRUE(port.Checksum(9, 6, crc, CancelToken::Never()));
    EXPECT_EQ(crc, 0xCBF43926u);
    EXPECT_EQ(Board().address(), 0x3009u);
    // A count of 0 is no checksum; one above what the board counts is refused by the library.
    for (const int32_t count : {0, -1, 0x1000000}) {
        EXPECT_FALSE(port.Checksum(count, 6, crc, CancelToken::Never()));
        EXPECT_EQ(port.ErrorCode(), kErrReadIncomplete);
        EXPECT_NE(port.FailureText().find("error 3"), std::string::npos) << port.FailureText();
    }
    EXPECT_TRUE(port.Close());
    EXPECT_FALSE(port.OffersChecksum());
}

} // namespace
} // namespace tessary
