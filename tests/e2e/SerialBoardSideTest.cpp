// Fills and run-length reads against tessary-board: the data that crosses is exact, through the
// serial port and through a Flash load and store, and the board's log shows which requests
// carried it; a board that announces no extension (--extensions none) gets none of them.
#include "BoardProcess.h"
#include "ControllerRegisters.h"
#include "LoadOperations.h"
#include "RecordingSinks.h"
#include "SerialLine.h"
#include "SerialPort.h"
#include "Session.h"
#include "StoreOperations.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

namespace tessary::test {
namespace {

namespace fs = std::filesystem;

using Bytes = std::vector<uint8_t>;

// Half runs: 3000 bytes of 0xFF, 2000 without runs, 2500 zeros, 1000 without runs, 16 of 0x5A,
// 15 of 0xA5, 600 of 0xFF.
Bytes HalfRuns() {
    Bytes data;
    uint32_t noise = 12345;
    const auto mixed = [&](size_t count) {
        for (size_t i = 0; i < count; ++i) {
            noise = noise * 1103515245u + 12345u;
            data.push_back(static_cast<uint8_t>(noise >> 16));
        }
    };
    data.insert(data.end(), 3000, 0xFF);
    mixed(2000);
    data.insert(data.end(), 2500, 0x00);
    mixed(1000);
    data.insert(data.end(), 16, 0x5A);
    data.insert(data.end(), 15, 0xA5);
    data.insert(data.end(), 600, 0xFF);
    return data;
}

// How many frames of each command the board's --verbose log shows it took, and their bytes.
struct Taken {
    std::map<int, int> frames;
    size_t bytes = 0;
};

Taken Requests(const fs::path& log) {
    std::ifstream in(log);
    std::string line;
    Taken taken;
    const std::string prefix = "tessary-board: <- ";
    while (std::getline(in, line)) {
        if (line.rfind(prefix, 0) != 0) {
            continue;
        }
        std::istringstream hex(line.substr(prefix.size()));
        std::vector<int> bytes;
        int byte = 0;
        while (hex >> std::hex >> byte) {
            bytes.push_back(byte);
        }
        if (bytes.size() >= 2) {
            ++taken.frames[bytes[1]];
            taken.bytes += bytes.size();
        }
    }
    return taken;
}

class SerialBoardSideTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::path(testing::TempDir()) /
              ("board-side-" +
               std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    // Writes `data` to the RAM at 0x1000 through the port and reads it back.
    static Bytes RoundTrip(SerialPort& port, const Bytes& data) {
        const RegisterPair address[] = {
            {kRegAddressLow, 0x00}, {kRegAddressMid, 0x10}, {kRegAddressHigh, 0x00}};
        Bytes back(data.size());
        const auto count = static_cast<int32_t>(data.size());
        const CancelToken& never = CancelToken::Never();
        EXPECT_TRUE(port.WriteList(3, address, never) &&
                    port.WriteRepeat(count, kRegRamData, data.data(), never) &&
                    port.WriteList(3, address, never) &&
                    port.ReadRepeat(count, kRegRamData, back.data(), never))
            << port.FailureText();
        return back;
    }

    fs::path dir;
};

TEST_F(SerialBoardSideTest, RunsAreFilledAndReadBackAsRunsExactly) {
    const fs::path log = dir / "board.log";
    const Bytes data = HalfRuns();
    {
        BoardProcess board({"--verbose"}, log.string());
        SerialLine line;
        line.Initialize();
        SerialPort port;
        port.Initialize(line);
        ASSERT_TRUE(port.OpenPath(board.Path().c_str()));
        char identity[64] = {};
        ASSERT_TRUE(port.GetIdentity(64, identity));
        ASSERT_TRUE(port.Fast() && port.Fast()->fill && port.Fast()->runs) << identity;
        EXPECT_EQ(RoundTrip(port, data), data);
        port.Close();
        board.Stop(SIGTERM);
    }
    const Taken taken = Requests(log);
    // 0xFF (3000, 600), zeros (2500) and 0x5A (16) are filled; the 15 of 0xA5 go as data.
    EXPECT_EQ(taken.frames.at(0x4B), 4);
    EXPECT_GE(taken.frames.at(0x4C), 1);
    // The data without runs (a third) crosses as it did; the runs in a few frames.
    EXPECT_LT(taken.bytes, data.size() / 2);
}

TEST_F(SerialBoardSideTest, ABoardWithoutExtensionsGetsNone) {
    const fs::path log = dir / "board.log";
    const Bytes data = HalfRuns();
    {
        BoardProcess board({"--verbose", "--extensions", "none"}, log.string());
        SerialLine line;
        line.Initialize();
        SerialPort port;
        port.Initialize(line);
        ASSERT_TRUE(port.OpenPath(board.Path().c_str()));
        char identity[64] = {};
        ASSERT_TRUE(port.GetIdentity(64, identity));
        ASSERT_TRUE(port.Fast());
        EXPECT_EQ(RoundTrip(port, data), data);
        port.Close();
        board.Stop(SIGTERM);
    }
    const Taken taken = Requests(log);
    EXPECT_EQ(taken.frames.count(0x4B), 0u);
    EXPECT_EQ(taken.frames.count(0x4C), 0u);
    EXPECT_EQ(taken.frames.at(0x44), static_cast<int>((data.size() + 252) / 253));
}

// The Flash programs a fill byte by byte through its program path, as it does a data frame.
TEST_F(SerialBoardSideTest, AFlashLoadOfRunsStoresBackExactly) {
    const Bytes data = HalfRuns();
    std::ofstream(dir / "in.bin", std::ios::binary)
        .write(reinterpret_cast<const char*>(data.data()),
               static_cast<std::streamsize>(data.size()));
    const fs::path log = dir / "board.log";
    BoardProcess board({"--time-scale", "0.01", "--verbose"}, log.string());
    Session session;
    session.interfaceType = kInterfaceSerial;
    session.deviceName = board.Path();
    RecordingStatus status;
    RecordingMessages messages;
    LoadRequest load;
    load.fileName = (dir / "in.bin").string();
    load.startAddress = 0x20100;
    load.autoErase = true;
    ASSERT_TRUE(LoadFlashOperation(session, load, status, messages)) << status.Last();
    StoreRequest store;
    store.path = (dir / "out.bin").string();
    store.startAddress = 0x20100;
    store.length = static_cast<int32_t>(data.size());
    store.mode = OutputMode::Replace;
    ASSERT_TRUE(StoreFlashToFile(session, store, status, messages)) << status.Last();
    std::ifstream in(dir / "out.bin", std::ios::binary);
    EXPECT_EQ(Bytes(std::istreambuf_iterator<char>(in), {}), data);
    board.Stop(SIGTERM);
    Taken taken = Requests(log);
    EXPECT_GE(taken.frames[0x4B], 4);
    EXPECT_GE(taken.frames[0x4C], 1);
}

} // namespace
} // namespace tessary::test
