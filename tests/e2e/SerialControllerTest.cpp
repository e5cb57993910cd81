// The memory controller client over the serial line, against tessary-board on a pseudo-terminal:
// whole 8192-byte blocks cut into frames, Flash sequences, the board's faults, and the board
// process itself.
#include "MemoryController.h"
#include "PortFactory.h"
#include "SerialBoardFixture.h"

#include <chrono>
#include <csignal>
#include <memory>
#include <numeric>
#include <optional>
#include <vector>

namespace tessary::test {
namespace {

using Clock = std::chrono::steady_clock;

std::vector<uint8_t> Pattern(size_t size, uint8_t seed) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<uint8_t>(i * 7 + seed + (i >> 8));
    }
    return bytes;
}

class SerialControllerTest : public SerialBoardFixture {
  protected:
    // Builds the session's port and a controller over it, and connects; TearDown closes the port.
    bool Connect() {
        port = BuildPort(session).port;
        controller.emplace(session, *port);
        return controller->Connect(session.deviceName.c_str());
    }
    void TearDown() override {
        controller.reset();
        port.reset();
        SerialBoardFixture::TearDown();
    }
    // Polls as the host does, giving up only after far longer than any simulated erase takes: a
    // count of polls would depend on how fast the line answers.
    bool WaitReady() {
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < giveUp) {
            uint8_t status = 0;
            if (!controller->ReadFlashStatus(status)) {
                return false;
            }
            if (status & 0x80) {
                return true;
            }
        }
        return false;
    }

    std::unique_ptr<RegisterPort> port;
    std::optional<MemoryController> controller;
};

TEST_F(SerialControllerTest, ConnectFetchesTheIdentity) {
    StartBoard({"--identity", "Board on the bench", "--protocol", "basic"});
    ASSERT_TRUE(Connect()) << controller->ErrorCode();
    EXPECT_STREQ(controller->Identity(), "Board on the bench");
}

TEST_F(SerialControllerTest, AFastBoardAnnouncesItselfAtTheEndOfItsIdentity) {
    StartBoard({"--identity", "Board on the bench", "--flash", "1m"});
    ASSERT_TRUE(Connect()) << controller->ErrorCode();
    EXPECT_STREQ(controller->Identity(), "Board on the bench {fast w=16 m=255 f=100000 x=cfr}");
}

TEST_F(SerialControllerTest, WholeBlocksOfRamRoundTrip) {
    StartBoard();
    ASSERT_TRUE(Connect());
    // Two blocks back to back and one across the 24-bit wrap of the address.
    const auto first = Pattern(TransferBlockSize, 1);
    const auto second = Pattern(TransferBlockSize, 2);
    const auto wrapped = Pattern(5000, 3);
    ASSERT_TRUE(controller->WriteRam(0x10000, first.data(), TransferBlockSize));
    ASSERT_TRUE(
        controller->WriteRam(0x10000 + TransferBlockSize, second.data(), TransferBlockSize));
    ASSERT_TRUE(controller->WriteRam(0xFFF000, wrapped.data(), 5000));

    std::vector<uint8_t> back(2 * TransferBlockSize);
    ASSERT_TRUE(controller->ReadRam(0x10000, back.data(), 2 * TransferBlockSize));
    EXPECT_TRUE(std::equal(first.begin(), first.end(), back.begin()));
    EXPECT_TRUE(std::equal(second.begin(), second.end(), back.begin() + TransferBlockSize));
    std::vector<uint8_t> low(5000 - 0x1000);
    ASSERT_TRUE(controller->ReadRam(0, low.data(), static_cast<int32_t>(low.size())));
    EXPECT_TRUE(std::equal(low.begin(), low.end(), wrapped.begin() + 0x1000));
}

TEST_F(SerialControllerTest, FlashEraseProgramAndReadBack) {
    StartBoard({"--busy-reads", "4"});
    ASSERT_TRUE(Connect());
    const auto data = Pattern(TransferBlockSize, 9);
    ASSERT_TRUE(controller->EraseBlock(0x60000));
    ASSERT_TRUE(WaitReady());
    ASSERT_TRUE(controller->WriteFlash(0x60000, data.data(), TransferBlockSize));
    ASSERT_TRUE(controller->ReadArrayMode());
    std::vector<uint8_t> back(TransferBlockSize);
    ASSERT_TRUE(controller->ReadFlash(0x60000, back.data(), TransferBlockSize));
    EXPECT_EQ(back, data);
}

TEST_F(SerialControllerTest, BoardPacedLikeARealLineAnswersTheSame) {
    StartBoard({"--baud", "115200"});
    ASSERT_TRUE(Connect());
    const auto data = Pattern(500, 8);
    ASSERT_TRUE(controller->WriteRam(0x777, data.data(), 500));
    std::vector<uint8_t> back(500);
    ASSERT_TRUE(controller->ReadRam(0x777, back.data(), 500));
    EXPECT_EQ(back, data);
}

TEST_F(SerialControllerTest, RegisterBlockAtTheTopOfTheRegisterSpace) {
    StartBoard({"--register-base", "0xF8"});
    session.registerBase = 0xF8;
    ASSERT_TRUE(Connect());
    const auto data = Pattern(300, 4);
    ASSERT_TRUE(controller->WriteRam(0x123456, data.data(), 300));
    std::vector<uint8_t> back(300);
    ASSERT_TRUE(controller->ReadRam(0x123456, back.data(), 300));
    EXPECT_EQ(back, data);
}

struct FaultCase {
    const char* name;
    std::vector<std::string> options;
    int32_t error; // 0 = the transfer succeeds
};

void PrintTo(const FaultCase& fault, std::ostream* out) {
    *out << fault.name;
}

class SerialFaultTest : public SerialControllerTest,
                        public ::testing::WithParamInterface<FaultCase> {};

// Requests 1 to 3 connect, 4 to 135 write the block (the address, then 131 frames), 136 to 269
// read it back (the address, then 133 frames): request 150 is a full 62-value reply.
TEST_P(SerialFaultTest, FaultOnAReplyOfTheReadBack) {
    std::vector<std::string> options = GetParam().options;
    options.insert(options.end(),
                   {"--fault-at", "150", "--fault-count", "1", "--protocol", "basic"});
    StartBoard(options);
    ASSERT_TRUE(Connect());
    const auto data = Pattern(TransferBlockSize, 5);
    ASSERT_TRUE(controller->WriteRam(0x4000, data.data(), TransferBlockSize));
    std::vector<uint8_t> back(TransferBlockSize);
    const auto start = Clock::now();
    const bool read = controller->ReadRam(0x4000, back.data(), TransferBlockSize);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
    if (GetParam().error == 0) {
        ASSERT_TRUE(read);
        EXPECT_EQ(back, data);
    } else {
        EXPECT_FALSE(read);
        EXPECT_EQ(controller->ErrorCode(), GetParam().error);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, SerialFaultTest,
    ::testing::Values(
        FaultCase{"NoReply", {"--fault", "no-reply"}, kErrNoReply},
        FaultCase{
            "CutInThePayload", {"--fault", "cut-short", "--cut-after", "10"}, kErrReplyCutShort},
        FaultCase{"CutBeforeTheChecksum",
                  {"--fault", "cut-short", "--cut-after", "64"},
                  kErrReplyCutShort},
        FaultCase{"WrongCode", {"--fault", "wrong-code"}, kErrWrongReply},
        FaultCase{"BadChecksumIsRefused", {"--fault", "bad-checksum"}, kErrBadChecksum},
        FaultCase{"FlippedByteIsRefused", {"--fault", "flip-byte"}, kErrBadChecksum},
        FaultCase{"DribbledReplyIsCutShort",
                  {"--fault", "dribble", "--stall-ms", "300"},
                  kErrReplyCutShort},
        FaultCase{"ShortStallIsWaitedFor", {"--fault", "stall", "--stall-ms", "300"}, 0},
        FaultCase{"LongStallIsNoReply",
                  {"--fault", "stall", "--cut-after", "0", "--stall-ms", "1500"},
                  kErrNoReply}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(SerialControllerTest, BoardThatStopsAnsweringEndsTheTransfer) {
    StartBoard({"--fault", "no-reply", "--fault-at", "30"});
    ASSERT_TRUE(Connect());
    const auto data = Pattern(TransferBlockSize, 6);
    const auto start = Clock::now();
    EXPECT_FALSE(controller->WriteRam(0, data.data(), TransferBlockSize));
    EXPECT_EQ(controller->ErrorCode(), kErrNoReply);
    // One reply's allowance, not one for each of the block's frames.
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
}

TEST_F(SerialControllerTest, StartUpDefaultPortDoesNotExist) {
    StartBoard();
    session.deviceName = "COM1";
    EXPECT_FALSE(Connect());
    EXPECT_FALSE(controller->IsConnected());
    EXPECT_EQ(controller->ConnectFailureText(), "/dev/COM1: no such device");
}

class BoardProcessSignalTest : public ::testing::TestWithParam<int> {};

TEST_P(BoardProcessSignalTest, EndsCleanly) {
    BoardProcess process;
    EXPECT_EQ(process.Path().rfind("/dev/pts/", 0), 0u) << process.Path();
    EXPECT_EQ(process.Stop(GetParam()), 0);
}

TEST_P(BoardProcessSignalTest, EndsCleanlyInTheMiddleOfAStall) {
    BoardProcess process({"--fault", "stall", "--stall-ms", "60000"});
    Session session;
    session.interfaceType = kInterfaceSerial;
    session.deviceName = process.Path();
    {
        const BuiltPort built = BuildPort(session);
        ASSERT_TRUE(built.port);
        MemoryController controller(session, *built.port);
        EXPECT_FALSE(controller.Connect(session.deviceName.c_str()));
    } // the port closes here
    const auto start = Clock::now();
    EXPECT_EQ(process.Stop(GetParam()), 0);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(1));
}

INSTANTIATE_TEST_SUITE_P(Signals, BoardProcessSignalTest, ::testing::Values(SIGINT, SIGTERM));

} // namespace
} // namespace tessary::test
