// The operations of the program over the serial line against every board program: tessary-board
// (the simulated board in software) and, where Verilator is installed, tessary-rtl-board (the
// gateware's own UART, frame engine, registers and buses, verilated). The same tests, byte-exact
// round trips, against both.
#include "Crc32.h"
#include "EraseFlash.h"
#include "FlashGeometry.h"
#include "LoadOperations.h"
#include "MemoryController.h"
#include "PortFactory.h"
#include "RecordingSinks.h"
#include "SerialBoardFixture.h"
#include "StoreOperations.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace tessary::test {
namespace {

namespace fs = std::filesystem;

struct Peer {
    std::string name;
    std::string executable;
    std::vector<std::string> options;
};

std::vector<Peer> Peers() {
    std::vector<Peer> peers{{"SoftwareBoard", TESSARY_BOARD_EXE, {}}};
#ifdef TESSARY_RTL_BOARD_EXE
    // The line runs at 3 Mbaud in simulated time: 16 clock cycles a bit at 48 MHz.
    peers.push_back({"RtlBoard", TESSARY_RTL_BOARD_EXE, {"--baud", "3000000"}});
#endif
    return peers;
}

constexpr size_t kFileSize = 20000;

class SerialPeersTest : public ::testing::TestWithParam<Peer> {
  protected:
    void SetUp() override {
        dir = fs::path(testing::TempDir()) /
              ("serial-peers-" + GetParam().name + "-" +
               std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        input = (dir / "image.bin").string();
        output = (dir / "back.bin").string();
        contents.resize(kFileSize);
        for (size_t i = 0; i < kFileSize; ++i) {
            contents[i] = static_cast<char>((i * 37 + (i >> 8)) & 0xFF);
        }
        std::ofstream(input, std::ios::binary).write(contents.data(), kFileSize);
    }
    void TearDown() override { fs::remove_all(dir); }

    void StartBoard(const std::vector<std::string>& extra = {}) {
        std::vector<std::string> options = GetParam().options;
        options.insert(options.end(), extra.begin(), extra.end());
        board = std::make_unique<BoardProcess>(GetParam().executable, options);
        session.interfaceType = kInterfaceSerial;
        session.deviceName = board->Path();
    }
    LoadRequest Load(int32_t address, bool autoErase = true) {
        LoadRequest request;
        request.fileName = input;
        request.startAddress = address;
        request.verify = true;
        request.autoErase = autoErase;
        return request;
    }
    StoreRequest Store(int32_t address, int32_t length = kFileSize) {
        StoreRequest request;
        request.path = output;
        request.startAddress = address;
        request.length = length;
        request.mode = OutputMode::Replace;
        return request;
    }
    std::string Output() const {
        std::ifstream in(output, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    void ExpectNoMessage() const { EXPECT_TRUE(messages.texts.empty()) << messages.texts.front(); }

    Session session;
    std::unique_ptr<BoardProcess> board;
    fs::path dir;
    std::string input;
    std::string output;
    std::string contents;
    RecordingStatus status;
    RecordingMessages messages;
};

TEST_P(SerialPeersTest, RamLoadWithVerifyAndStoreRoundTrip) {
    StartBoard();
    ASSERT_TRUE(LoadRamOperation(session, Load(0x2001), status, messages)) << messages.All();
    ExpectNoMessage();
    ASSERT_TRUE(StoreRamToFile(session, Store(0x2001), status, messages)) << messages.All();
    ExpectNoMessage();
    EXPECT_EQ(Output(), contents);
}

TEST_P(SerialPeersTest, TopOfTheRamRoundTrips) {
    // The file ends on the last byte of the 16 MB: every bit of the address is in use.
    StartBoard();
    session.memoryConfiguration = 6; // Parvel: 16 MB of RAM
    const auto address = static_cast<int32_t>(0x1000000 - kFileSize);
    ASSERT_TRUE(LoadRamOperation(session, Load(address), status, messages)) << messages.All();
    ExpectNoMessage();
    ASSERT_TRUE(StoreRamToFile(session, Store(address), status, messages)) << messages.All();
    EXPECT_EQ(Output(), contents);
}

TEST_P(SerialPeersTest, FlashLoadWithEraseAndVerifyAndStoreRoundTrip) {
    StartBoard({"--busy-reads", "5"});
    // Across the 96K block into the first 8K block of the 512K chip.
    const int32_t address = 0x78000 - 10000;
    ASSERT_TRUE(LoadFlashOperation(session, Load(address), status, messages)) << messages.All();
    ExpectNoMessage();
    ASSERT_TRUE(StoreFlashToFile(session, Store(address), status, messages)) << messages.All();
    ExpectNoMessage();
    EXPECT_EQ(Output(), contents);
}

// The board's own CRC of what a load wrote equals the file's, in RAM and in Flash (a verify by
// checksum compares these), and one byte changed behind the load's back changes it.
TEST_P(SerialPeersTest, BoardChecksumOfALoadMatchesTheFile) {
    StartBoard();
    const int32_t ramAddress = 0x3001;
    const int32_t flashAddress = 0x40000 - 5000;
    // Without the read-back: the board's CRC is the check here.
    LoadRequest ram = Load(ramAddress);
    ram.verify = false;
    LoadRequest flash = Load(flashAddress);
    flash.verify = false;
    ASSERT_TRUE(LoadRamOperation(session, ram, status, messages)) << messages.All();
    ASSERT_TRUE(LoadFlashOperation(session, flash, status, messages)) << messages.All();
    ExpectNoMessage();

    const auto port = BuildPort(session).port;
    MemoryController controller(session, *port);
    ASSERT_TRUE(controller.Connect(session.deviceName.c_str()));
    ASSERT_TRUE(controller.OffersChecksum());
    const auto* bytes = reinterpret_cast<const uint8_t*>(contents.data());
    const uint32_t fileCrc = Crc32Of(bytes, kFileSize);
    uint32_t crc = 0;
    ASSERT_TRUE(controller.ChecksumRam(ramAddress, kFileSize, crc));
    EXPECT_EQ(crc, fileCrc);
    ASSERT_TRUE(controller.ChecksumFlash(flashAddress, kFileSize, crc));
    EXPECT_EQ(crc, fileCrc);

    const auto changed = static_cast<uint8_t>(bytes[kFileSize - 1] ^ 0x10);
    ASSERT_TRUE(controller.WriteRam(ramAddress + kFileSize - 1, &changed, 1));
    ASSERT_TRUE(controller.ChecksumRam(ramAddress, kFileSize, crc));
    EXPECT_NE(crc, fileCrc);
}

// A Flash load again skips the blocks that already hold the file; a changed file loaded without
// the erase cannot be programmed (programming only clears bits): the board's checksum differs, the
// block is read back, and its first difference is named.
TEST_P(SerialPeersTest, FlashReloadSkipsWhatMatchesAndVerifyReadsBackWhereTheChecksumDiffers) {
    StartBoard({"--busy-reads", "2"});
    const int32_t address = 0x78000 - 10000; // the 96K block's end and both 8K blocks
    LoadRequest request = Load(address);
    request.skipUnchanged = true;
    ASSERT_TRUE(LoadFlashOperation(session, request, status, messages)) << messages.All();
    ASSERT_TRUE(LoadFlashOperation(session, request, status, messages)) << messages.All();
    ExpectNoMessage();
    EXPECT_NE(status.Last().find("(3 of 3 blocks already matched)"), std::string::npos)
        << status.Last();

    for (char& byte : contents) {
        byte = static_cast<char>(byte ^ 0x5A);
    }
    std::ofstream(input, std::ios::binary | std::ios::trunc).write(contents.data(), kFileSize);
    EXPECT_FALSE(LoadFlashOperation(session, Load(address, false), status, messages));
    ASSERT_EQ(messages.causes.size(), 1u);
    EXPECT_EQ(messages.causes.front().rfind("first difference at 0x", 0), 0u)
        << messages.causes.front();
}

TEST_P(SerialPeersTest, EraseAllLeavesTheChipBlank) {
    StartBoard({"--busy-reads", "2"});
    ASSERT_TRUE(LoadFlashOperation(session, Load(0x70000 - 100), status, messages))
        << messages.All();
    ASSERT_TRUE(EraseFlashBlocks(session, AllFlashBlocks(0), status, messages)) << messages.All();
    ExpectNoMessage();
    EXPECT_EQ(status.Last(), "Erase Complete");
    ASSERT_TRUE(StoreFlashToFile(session, Store(0x70000 - 100), status, messages))
        << messages.All();
    EXPECT_EQ(Output(), std::string(kFileSize, '\xFF'));
}

TEST_P(SerialPeersTest, EraseSelectedTouchesOnlyItsBlocks) {
    StartBoard();
    // 10000 bytes in block 0, the rest in block 1; only block 1 is erased.
    const int32_t address = 0x20000 - 10000;
    ASSERT_TRUE(LoadFlashOperation(session, Load(address), status, messages)) << messages.All();
    ASSERT_TRUE(EraseSelectedFlashBlocks(session, {1}, status, messages)) << messages.All();
    ExpectNoMessage();
    ASSERT_TRUE(StoreFlashToFile(session, Store(address), status, messages)) << messages.All();
    EXPECT_EQ(Output(), contents.substr(0, 10000) + std::string(kFileSize - 10000, '\xFF'));
}

TEST_P(SerialPeersTest, LockedBlockRefusesTheEraseAndKeepsItsContents) {
    StartBoard({"--locked-blocks", "2"});
    const int32_t address = static_cast<int32_t>(BlockAddress(0, 2));
    // The plain erase: Erase Selected would skip these blocks, which read as erased already.
    ASSERT_FALSE(EraseFlashBlocks(session, std::vector<int32_t>{2}, status, messages));
    ASSERT_EQ(messages.texts.size(), 1u);
    messages.texts.clear();
    // The status was cleared: the chip takes the next erase of another block.
    ASSERT_TRUE(EraseFlashBlocks(session, std::vector<int32_t>{1}, status, messages))
        << messages.All();
    ExpectNoMessage();
    ASSERT_TRUE(StoreFlashToFile(session, Store(address, 64), status, messages)) << messages.All();
    EXPECT_EQ(Output(), std::string(64, '\xFF'));
}

TEST_P(SerialPeersTest, RegisterBlockAtTheTopOfTheRegisterSpace) {
    StartBoard({"--register-base", "248"});
    session.registerBase = 0xF8;
    ASSERT_TRUE(LoadRamOperation(session, Load(0x100), status, messages)) << messages.All();
    ExpectNoMessage();
    ASSERT_TRUE(StoreRamToFile(session, Store(0x100), status, messages)) << messages.All();
    EXPECT_EQ(Output(), contents);
}

TEST_P(SerialPeersTest, ControllerAtAnotherBaseAnswersNothingOfOurs) {
    StartBoard({"--register-base", "16"});
    // The load writes to registers the board does not have; its verify sees 0xFF.
    EXPECT_FALSE(LoadRamOperation(session, Load(0), status, messages));
    EXPECT_FALSE(messages.texts.empty());
}

INSTANTIATE_TEST_SUITE_P(BoardPrograms, SerialPeersTest, ::testing::ValuesIn(Peers()),
                         [](const testing::TestParamInfo<Peer>& p) { return p.param.name; });

} // namespace
} // namespace tessary::test
