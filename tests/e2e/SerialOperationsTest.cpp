// The operations of the program, run over the serial line against tessary-board on a
// pseudo-terminal, with files on disk.
#include "LoadOperations.h"
#include "RecordingSinks.h"
#include "SerialBoardFixture.h"
#include "StoreOperations.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

namespace tessary::test {
namespace {

namespace fs = std::filesystem;

constexpr size_t kFileSize = 20000;

class SerialOperationsTest : public SerialBoardFixture {
  protected:
    void SetUp() override {
        dir = fs::path(testing::TempDir()) /
              ("serial-ops-" +
               std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        input = (dir / "image.bin").string();
        output = (dir / "back.bin").string();
        contents.resize(kFileSize);
        for (size_t i = 0; i < kFileSize; ++i) {
            contents[i] = static_cast<char>((i * 31 + (i >> 7)) & 0xFF);
        }
        std::ofstream(input, std::ios::binary).write(contents.data(), kFileSize);
    }
    void TearDown() override {
        fs::remove_all(dir);
        SerialBoardFixture::TearDown();
    }

    LoadRequest Load(int32_t address) {
        LoadRequest request;
        request.fileName = input;
        request.startAddress = address;
        request.verify = true;
        request.autoErase = true;
        return request;
    }
    StoreRequest Store(int32_t address) {
        StoreRequest request;
        request.path = output;
        request.startAddress = address;
        request.length = static_cast<int32_t>(kFileSize);
        request.mode = OutputMode::Replace;
        return request;
    }
    std::string Output() const {
        std::ifstream in(output, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    fs::path dir;
    std::string input;
    std::string output;
    std::string contents;
    RecordingStatus status;
    RecordingMessages messages;
};

TEST_F(SerialOperationsTest, LoadRamWithVerifyThenStoreRamBack) {
    StartBoard();
    LoadRamOperation(session, Load(0x2000), status, messages);
    ASSERT_EQ(status.Last(), "RAM load complete. Total bytes transferred: 20000");
    ASSERT_TRUE(messages.texts.empty()) << messages.texts.front();

    StoreRamToFile(session, Store(0x2000), status, messages);
    ASSERT_TRUE(messages.texts.empty()) << messages.texts.front();
    EXPECT_EQ(status.Last(), "Ram Store complete. Total bytes transferred: 20000");
    EXPECT_EQ(Output(), contents);
}

TEST_F(SerialOperationsTest, LoadFlashWithEraseAndVerifyThenStoreFlashBack) {
    StartBoard({"--busy-reads", "5"});
    // The range crosses from the 96K block into the first 8K block of the 512K chip.
    const int32_t address = 0x78000 - 10000;
    LoadFlashOperation(session, Load(address), status, messages);
    ASSERT_TRUE(messages.texts.empty()) << messages.texts.front();

    StoreFlashToFile(session, Store(address), status, messages);
    ASSERT_TRUE(messages.texts.empty()) << messages.texts.front();
    EXPECT_EQ(Output(), contents);
}

TEST_F(SerialOperationsTest, BoardThatStopsAnsweringEndsTheLoadWithItsError) {
    StartBoard({"--fault", "no-reply", "--fault-at", "100", "--protocol", "basic"});
    const auto start = std::chrono::steady_clock::now();
    LoadRamOperation(session, Load(0), status, messages);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    EXPECT_EQ(status.Last(), "RAM load error");
}

TEST_F(SerialOperationsTest, BoardThatStopsAnsweringEndsTheStoreAndKeepsTheFile) {
    StartBoard({"--fault", "no-reply", "--fault-at", "100", "--protocol", "basic"});
    std::ofstream(output, std::ios::binary) << "before";
    const auto start = std::chrono::steady_clock::now();
    StoreRamToFile(session, Store(0), status, messages);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    EXPECT_EQ(status.Last(), kStoreRamTexts.errorStatus);
    EXPECT_EQ(Output(), "before");
}

// A byte changed on the line fails the store; a wrong byte never reaches the file as good data.
TEST_F(SerialOperationsTest, RepliesChangedOnTheLineFailTheStore) {
    for (const char* fault : {"bad-checksum", "flip-byte"}) {
        StartBoard(
            {"--fault", fault, "--fault-at", "100", "--fault-count", "1", "--protocol", "basic"});
        std::ofstream(output, std::ios::binary) << "before";
        StoreRamToFile(session, Store(0), status, messages);
        EXPECT_EQ(status.Last(), kStoreRamTexts.errorStatus) << fault;
        EXPECT_EQ(Output(), "before") << fault;
    }
}

// One byte every 300 ms: each byte comes well within a second, the reply never within its
// allowance. The store ends at the first such reply instead of crawling on for minutes.
TEST_F(SerialOperationsTest, BoardThatDribblesItsRepliesEndsTheStoreSoon) {
    StartBoard(
        {"--fault", "dribble", "--stall-ms", "300", "--fault-at", "20", "--protocol", "basic"});
    std::ofstream(output, std::ios::binary) << "before";
    const auto start = std::chrono::steady_clock::now();
    StoreRamToFile(session, Store(0), status, messages);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    EXPECT_EQ(status.Last(), kStoreRamTexts.errorStatus);
    EXPECT_EQ(Output(), "before");
}

// The board process dies mid-transfer: the line hangs up and the store fails at once.
TEST_F(SerialOperationsTest, BoardThatDiesEndsTheStoreAtOnce) {
    StartBoard();
    std::ofstream(output, std::ios::binary) << "before";
    StoreRequest request = Store(0);
    request.length = 16 << 20;
    session.memoryConfiguration = 6; // Parvel: 16 MB of RAM
    std::chrono::steady_clock::time_point killed;
    std::thread killer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        killed = std::chrono::steady_clock::now();
        board->Stop(SIGKILL);
    });
    StoreRamToFile(session, request, status, messages);
    const auto ended = std::chrono::steady_clock::now();
    killer.join();
    // The hang-up ends it, not a reply's allowance (1000 ms + 10 ms a byte).
    EXPECT_LT(ended - killed, std::chrono::milliseconds(1000));
    EXPECT_EQ(status.Last(), kStoreRamTexts.errorStatus);
    EXPECT_EQ(Output(), "before");
}

} // namespace
} // namespace tessary::test
