// Boards on a serial line in liblnkutil's device table, reached through the library's C
// interface and through the program's operations, against tessary-board on a pseudo-terminal.
#include "BoardProcess.h"
#include "ControllerRegisters.h"
#include "Crc32.h"
#include "LibraryPort.h"
#include "LoadOperations.h"
#include "RecordingSinks.h"
#include "Session.h"
#include "StoreOperations.h"
#include "lnkutil.h"
#include "lnkutil_erc.h"
#include "lnkutil_ext.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

namespace tessary::test {
namespace {

namespace fs = std::filesystem;

// The memory controller's registers sit at base 0: their offsets are their numbers.

class SerialLibraryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::path(testing::TempDir()) /
              ("serial-library-" +
               std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        setenv("LNKUTIL_DEVICES", (dir / "devices.conf").c_str(), 1);
        setenv("LNKUTIL_DATA_DIR", "", 1);
    }
    void TearDown() override {
        if (handle != 0) {
            LnkCloseData(handle, &erc);
        }
        LnkTerm();
        unsetenv("LNKUTIL_DEVICES");
        unsetenv("LNKUTIL_DATA_DIR");
        fs::remove_all(dir);
    }
    // A table whose default device "Bench" is tessary-board on its pseudo-terminal.
    void UseTable(const std::string& path) {
        std::ofstream(dir / "devices.conf") << "Bench serial default path=" << path << "\n"
                                            << "Local sim\n";
        ASSERT_TRUE(LnkInit(&erc));
    }
    bool SetAddress(uint32_t address) {
        const uint8_t registers[] = {kRegAddressLow, kRegAddressMid, kRegAddressHigh};
        const uint8_t values[] = {static_cast<uint8_t>(address), static_cast<uint8_t>(address >> 8),
                                  static_cast<uint8_t>(address >> 16)};
        return LnkPutRegSet(handle, registers, values, 3, &erc, nullptr);
    }

    fs::path dir;
    BoardProcess board;
    LnkErc erc = 0;
    LnkHandle handle = 0;
};

TEST_F(SerialLibraryTest, RepeatedCallsOfAWholeBlockGoOverTheLine) {
    UseTable(board.Path());
    ASSERT_TRUE(LnkOpenData(&handle, "Bench", &erc, nullptr)) << erc;
    std::vector<uint8_t> data(8192);
    for (size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<uint8_t>(i ^ (i >> 8));
    }
    ASSERT_TRUE(SetAddress(0x30000));
    ASSERT_TRUE(LnkPutRegRepeat(handle, kRegRamData, data.data(), 8192, &erc, nullptr));
    ASSERT_TRUE(SetAddress(0x30000));
    std::vector<uint8_t> back(8192);
    ASSERT_TRUE(LnkGetRegRepeat(handle, kRegRamData, back.data(), 8192, &erc, nullptr));
    EXPECT_EQ(back, data);
}

TEST_F(SerialLibraryTest, ListsOfSixtyEightPairs) {
    UseTable(board.Path());
    ASSERT_TRUE(LnkOpenData(&handle, "Bench", &erc, nullptr));
    // 68 single writes into RAM through the data register, then the address read back.
    std::vector<uint8_t> registers(68, kRegRamData);
    std::vector<uint8_t> values(68);
    for (size_t i = 0; i < values.size(); ++i) {
        values[i] = static_cast<uint8_t>(200 - i);
    }
    ASSERT_TRUE(SetAddress(0x100));
    ASSERT_TRUE(LnkPutRegSet(handle, registers.data(), values.data(), 68, &erc, nullptr));
    ASSERT_TRUE(SetAddress(0x100));
    std::vector<uint8_t> back(68, 0);
    ASSERT_TRUE(LnkGetRegSet(handle, registers.data(), back.data(), 68, &erc, nullptr));
    EXPECT_EQ(back, values);
    uint8_t one = 0;
    EXPECT_TRUE(LnkGetReg(handle, kRegRamData, &one, &erc, nullptr));
    EXPECT_EQ(one, 0); // the byte after the 68 written
}

TEST_F(SerialLibraryTest, MissingTtyFailsToOpenAndSaysWhy) {
    UseTable("/dev/tessary-no-such-tty");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(LnkOpenData(&handle, "Bench", &erc, nullptr));
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(erc, LNK_ERC_OPEN_FAILED);
    EXPECT_EQ(handle, 0u);
    EXPECT_NE(said.find("/dev/tessary-no-such-tty: no such device"), std::string::npos) << said;
}

TEST_F(SerialLibraryTest, OperationsThroughTheLibraryReachTheSerialBoard) {
    UseTable(board.Path());
    Session session;
    session.interfaceType = kInterfaceLibrary;
    session.deviceName = "Bench";
    const std::string input = (dir / "in.bin").string();
    const std::string output = (dir / "out.bin").string();
    std::string contents(20000, '\0');
    for (size_t i = 0; i < contents.size(); ++i) {
        contents[i] = static_cast<char>(i * 13 + 5);
    }
    std::ofstream(input, std::ios::binary) << contents;

    RecordingStatus status;
    RecordingMessages messages;
    LoadRequest load;
    load.fileName = input;
    load.startAddress = 0x8000;
    load.verify = true;
    LoadRamOperation(session, load, status, messages);
    EXPECT_EQ(status.Last(), "RAM load complete. Total bytes transferred: 20000");
    StoreRequest store;
    store.path = output;
    store.startAddress = 0x8000;
    store.length = 20000;
    store.mode = OutputMode::Replace;
    StoreRamToFile(session, store, status, messages);
    EXPECT_TRUE(messages.texts.empty());
    std::ifstream in(output, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), contents);
}

// A board of the table that gives no identity when the program connects (its second request, the
// first being the library's own at opening) is connected to with the empty text, as a board on
// the serial interface without one is.
TEST_F(SerialLibraryTest, ABoardThatGivesNoIdentityIsConnectedTo) {
    BoardProcess silent({"--fault", "no-reply", "--fault-at", "2", "--fault-count", "1"});
    UseTable(silent.Path());
    Session session;
    session.deviceName = "Bench";
    const std::string input = (dir / "in.bin").string();
    std::ofstream(input, std::ios::binary) << std::string(300, '\x3C');
    RecordingStatus status;
    RecordingMessages messages;
    LoadRequest load;
    load.fileName = input;
    load.verify = true;
    EXPECT_TRUE(LoadRamOperation(session, load, status, messages));
    EXPECT_EQ(status.Last(), "RAM load complete. Total bytes transferred: 300");
    EXPECT_TRUE(messages.texts.empty());
}

// Cancels the run when the transfer announces its first block.
class CancelAtFirstBlock : public StatusSink {
  public:
    explicit CancelAtFirstBlock(CancelToken& cancel) : cancel_(cancel) {}
    void SetStatusText(const std::string& text) override {
        if (text == "Loading block: 1") {
            cancel_.Cancel();
        }
        last = text;
    }
    std::string last;

  private:
    CancelToken& cancel_;
};

// A library call runs to its end once begun, and a block at 115200 baud takes most of a second:
// the block goes to a serial board in pieces of a tenth of a second, with the cancel looked at
// between them.
TEST_F(SerialLibraryTest, ACancelStopsABlockAfterThePieceUnderWay) {
    UseTable(board.Path());
    Session session;
    session.deviceName = "Bench";
    const std::string input = (dir / "in.bin").string();
    std::ofstream(input, std::ios::binary) << std::string(8192, '\x5A');
    CancelToken cancel;
    CancelAtFirstBlock status(cancel);
    RecordingMessages messages;
    LoadRequest load;
    load.fileName = input;
    EXPECT_FALSE(LoadRamOperation(session, load, status, messages, cancel));
    EXPECT_EQ(status.last.rfind("Operation cancelled.", 0), 0u) << status.last;

    // The board took the first piece, a tenth of a second of its line, and nothing after it.
    ASSERT_TRUE(LnkOpenData(&handle, "Bench", &erc, nullptr)) << erc;
    ASSERT_TRUE(SetAddress(0));
    std::vector<uint8_t> back(8192);
    ASSERT_TRUE(LnkGetRegRepeat(handle, kRegRamData, back.data(), 8192, &erc, nullptr));
    constexpr std::size_t kPiece = 115200 / 100;
    EXPECT_EQ(std::count(back.begin(), back.begin() + kPiece, 0x5A), kPiece);
    EXPECT_EQ(std::count(back.begin() + kPiece, back.end(), 0x5A), 0);
}

// The frames of each command tessary-board's --verbose log shows it took.
std::map<int, int> CommandsTaken(const fs::path& log) {
    std::ifstream in(log);
    std::map<int, int> taken;
    std::string line;
    const std::string prefix = "tessary-board: <- ";
    while (std::getline(in, line)) {
        if (line.rfind(prefix, 0) == 0 && line.size() >= prefix.size() + 5) {
            ++taken[std::stoi(line.substr(prefix.size() + 3, 2), nullptr, 16)];
        }
    }
    return taken;
}

// A serial board of the table that computes on its side: the checksum through the library's
// extension call and through LibraryPort, the runs of a block filled and read back as runs.
TEST_F(SerialLibraryTest, TheBoardsChecksumFillAndRunLengthReadsThroughTheLibrary) {
    const fs::path log = dir / "board.log";
    std::vector<uint8_t> data(8192, 0xFF);
    for (size_t i = 4096; i < 5096; ++i) {
        data[i] = static_cast<uint8_t>(i * 31 + (i >> 3));
    }
    {
        BoardProcess computing({"--verbose"}, log.string());
        UseTable(computing.Path());
        ASSERT_TRUE(LnkOpenData(&handle, "Bench", &erc, nullptr)) << erc;
        uint32_t crc = 0;
        ASSERT_TRUE(LnkBoardChecksum(handle, kRegRamData, 0, &crc, &erc)) << erc;
        ASSERT_TRUE(SetAddress(0x4000));
        ASSERT_TRUE(LnkPutRegRepeat(handle, kRegRamData, data.data(), 8192, &erc, nullptr));
        ASSERT_TRUE(SetAddress(0x4000));
        ASSERT_TRUE(LnkBoardChecksum(handle, kRegRamData, 8192, &crc, &erc)) << erc;
        EXPECT_EQ(crc, Crc32Of(data.data(), data.size()));
        ASSERT_TRUE(SetAddress(0x4000));
        std::vector<uint8_t> back(8192);
        ASSERT_TRUE(LnkGetRegRepeat(handle, kRegRamData, back.data(), 8192, &erc, nullptr));
        EXPECT_EQ(back, data);
        ASSERT_TRUE(LnkCloseData(handle, &erc));
        handle = 0;

        Session session;
        session.interfaceType = kInterfaceLibrary;
        session.deviceName = "Bench";
        LibraryPort port(session);
        ASSERT_TRUE(port.Initialize() && port.Open());
        EXPECT_TRUE(port.OffersChecksum());
        const RegisterPair address[] = {
            {kRegAddressLow, 0x00}, {kRegAddressMid, 0x50}, {kRegAddressHigh, 0x00}};
        ASSERT_TRUE(port.PutRegSet(3, address));
        ASSERT_TRUE(port.Checksum(1000, kRegRamData, crc, CancelToken::Never()));
        EXPECT_EQ(crc, Crc32Of(data.data() + 4096, 1000));
        port.Close();
        computing.Stop(SIGTERM);
    }
    const std::map<int, int> taken = CommandsTaken(log);
    EXPECT_EQ(taken.at(0x4B), 2); // 4096 and 3096 bytes of 0xFF
    EXPECT_EQ(taken.at(0x4A), 2);
    EXPECT_GE(taken.at(0x4C), 1);
}

TEST_F(SerialLibraryTest, ABoardThatComputesNothingOffersNoChecksum) {
    BoardProcess plain({"--extensions", "none"});
    UseTable(plain.Path());
    ASSERT_TRUE(LnkOpenData(&handle, "Bench", &erc, nullptr)) << erc;
    uint32_t crc = 0x5A5A5A5A;
    for (const int32_t count : {0, 16}) {
        EXPECT_FALSE(LnkBoardChecksum(handle, kRegRamData, count, &crc, &erc));
        EXPECT_EQ(erc, LNK_ERC_UNSUPPORTED);
    }
    EXPECT_EQ(crc, 0x5A5A5A5Au);
}

} // namespace
} // namespace tessary::test
