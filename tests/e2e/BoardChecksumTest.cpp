// The loads, erases and blank checks that use the board's checksum, run over the serial line
// against tessary-board on a pseudo-terminal: verify by checksum (and its fallback to reading a
// block back), skipping the blocks that already hold the image, and checking each erase.
#include "EraseFlash.h"
#include "LoadOperations.h"
#include "RecordingSinks.h"
#include "SerialBoardFixture.h"
#include "StoreOperations.h"
#include "StringTable.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace tessary::test {
namespace {

namespace fs = std::filesystem;

// Q0's Flash: block 3 (96K) at 0x060000, blocks 4 and 5 (8K) at 0x078000 and 0x07A000, block 6
// (16K) at 0x07C000. The image covers the last 32K of block 3 and blocks 4 to 6.
constexpr uint32_t kImageAddress = 0x70000;
constexpr uint32_t kImageLength = 0x10000;
constexpr uint32_t kBlock3 = 0x60000;
constexpr uint32_t kBlock5 = 0x7A000;

std::string Pattern(std::size_t size, uint32_t seed) {
    std::string bytes(size, '\0');
    for (char& byte : bytes) {
        seed = seed * 1103515245u + 12345u;
        byte = static_cast<char>(seed >> 16);
    }
    return bytes;
}

class BoardChecksumTest : public SerialBoardFixture {
  protected:
    void SetUp() override {
        dir = fs::path(testing::TempDir()) /
              ("board-checksum-" +
               std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override {
        fs::remove_all(dir);
        SerialBoardFixture::TearDown();
    }

    std::string Write(const std::string& name, const std::string& bytes) {
        const std::string path = (dir / name).string();
        std::ofstream(path, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    LoadRequest Load(const std::string& path, uint32_t address, bool autoErase = true) {
        LoadRequest request;
        request.fileName = path;
        request.startAddress = static_cast<int32_t>(address);
        request.verify = true;
        request.autoErase = autoErase;
        request.skipUnchanged = true;
        return request;
    }
    // A Flash load whose status texts and messages are those of this load alone.
    LoadOutcome LoadFlash(const LoadRequest& request) {
        status.texts.clear();
        messages = RecordingMessages();
        return RunLoadFlash(session, request, status, messages);
    }
    std::string StoreFlash(uint32_t address, uint32_t length) {
        StoreRequest request;
        request.path = (dir / "back.bin").string();
        request.startAddress = static_cast<int32_t>(address);
        request.length = static_cast<int32_t>(length);
        request.mode = OutputMode::Replace;
        RecordingStatus storeStatus;
        RecordingMessages storeMessages;
        StoreFlashToFile(session, request, storeStatus, storeMessages);
        std::ifstream in(request.path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    // The blocks the last load erased, as its status texts name them.
    std::vector<std::string> Erased() const {
        std::vector<std::string> erased;
        std::copy_if(status.texts.begin(), status.texts.end(), std::back_inserter(erased),
                     [](const std::string& text) { return text.starts_with("Erasing block: "); });
        return erased;
    }
    bool Completed() const {
        return std::any_of(status.texts.begin(), status.texts.end(), [](const std::string& text) {
            return text.find("complete") != std::string::npos;
        });
    }

    fs::path dir;
    RecordingStatus status;
    RecordingMessages messages;
};

// Verify by checksum finds what programming could not do (programming only clears bits, and the
// load does not erase), reads the block back and names its first difference, as a read-back verify
// does; so does a board that computes nothing.
TEST_F(BoardChecksumTest, VerifyNamesTheFirstByteProgrammingCouldNotWrite) {
    const std::string first = Pattern(8192, 1);
    const std::string second = Pattern(8192, 2);
    std::size_t at = 0;
    while ((first[at] & second[at]) == second[at]) {
        ++at;
    }
    char cause[96];
    std::snprintf(cause, sizeof(cause), "first difference at 0x%06X: wrote 0x%02X, read 0x%02X",
                  static_cast<unsigned>(0x78000 + at), static_cast<uint8_t>(second[at]),
                  static_cast<uint8_t>(first[at] & second[at]));
    for (const char* extensions : {"cfr", "none"}) {
        StartBoard({"--extensions", extensions});
        ASSERT_EQ(LoadFlash(Load(Write("first.bin", first), 0x78000)).result, LoadResult::Loaded);
        EXPECT_EQ(LoadFlash(Load(Write("second.bin", second), 0x78000, false)).result,
                  LoadResult::Failed)
            << extensions;
        ASSERT_EQ(messages.texts, std::vector<std::string>{LoadResString(kStrVerifyFailed)})
            << extensions;
        EXPECT_EQ(messages.causes.front(), cause) << extensions;
        EXPECT_FALSE(Completed()) << extensions;
    }
}

// A checksum reply that cannot be trusted never lets a load be reported verified: a CRC that is
// wrong although the block reads back as written, and a CRC changed on the line.
struct ChecksumFault {
    const char* name;
    std::vector<std::string> options;
    const char* cause; // a part of the failure's cause
};

class BoardChecksumFaults : public BoardChecksumTest,
                            public testing::WithParamInterface<ChecksumFault> {};

TEST_P(BoardChecksumFaults, FailTheLoad) {
    const ChecksumFault& fault = GetParam();
    if (!BoardProcess::HelpNames(fault.options[1])) {
        GTEST_SKIP() << "tessary-board has no --fault " << fault.options[1];
    }
    StartBoard(fault.options);
    LoadRequest request = Load(Write("image.bin", Pattern(8192, 3)), 0x1000, false);
    status.texts.clear();
    EXPECT_EQ(RunLoadRam(session, request, status, messages).result, LoadResult::Failed);
    EXPECT_EQ(status.Last(), "RAM load error");
    EXPECT_FALSE(Completed());
    std::vector<std::string> causes = messages.causes;
    causes.insert(causes.end(), messages.noted.begin(), messages.noted.end());
    ASSERT_EQ(causes.size(), 1u);
    EXPECT_NE(causes.front().find(fault.cause), std::string::npos) << causes.front();
}

INSTANTIATE_TEST_SUITE_P(
    Faults, BoardChecksumFaults,
    testing::Values(ChecksumFault{"WrongCrc",
                                  {"--fault", "wrong-crc"},
                                  "the board's checksum disagrees with its own data"},
                    // The 40th reply of this load answers its checksum request.
                    ChecksumFault{
                        "FlippedByte",
                        {"--fault", "flip-byte", "--fault-at", "40", "--fault-count", "1"},
                        "asking the board for the checksum of 8192 bytes of RAM"}),
    [](const testing::TestParamInfo<ChecksumFault>& param) { return param.param.name; });

// A second load of the same image erases and programs nothing; with one 8K block changed, that
// block alone is erased and programmed; the Flash holds the image and, outside it, what the load
// leaves there (the kept bytes, or erased ones). --no-skip loads everything again.
class SkipUnchanged : public BoardChecksumTest, public testing::WithParamInterface<bool> {};

TEST_P(SkipUnchanged, OnlyChangedBlocksAreErasedAndProgrammed) {
    const bool preserve = GetParam();
    StartBoard();
    ASSERT_EQ(LoadFlash(Load(Write("before.bin", Pattern(0x10000, 4)), kBlock3)).result,
              LoadResult::Loaded);
    std::string image = Pattern(kImageLength, 5);
    LoadRequest request = Load(Write("image.bin", image), kImageAddress);
    request.preserve = preserve;

    ASSERT_EQ(LoadFlash(request).result, LoadResult::Loaded);
    EXPECT_EQ(
        status.Last(),
        "Flash Load complete. Total bytes transferred: 65536 (0 of 4 blocks already matched)");
    EXPECT_EQ(Erased().size(), 4u);

    const LoadOutcome again = LoadFlash(request);
    ASSERT_EQ(again.result, LoadResult::Loaded);
    EXPECT_EQ(status.Last(),
              "Flash Load complete. Total bytes transferred: 0 (4 of 4 blocks already matched)");
    EXPECT_TRUE(Erased().empty());
    ASSERT_TRUE(again.matched.has_value());
    EXPECT_EQ(again.matched->matched, 4);
    EXPECT_EQ(again.matched->blocks, 4);

    image[kBlock5 - kImageAddress + 100] ^= 0x5A;
    Write("image.bin", image);
    ASSERT_EQ(LoadFlash(request).result, LoadResult::Loaded);
    EXPECT_EQ(status.Last(),
              "Flash Load complete. Total bytes transferred: 8192 (3 of 4 blocks already matched)");
    EXPECT_EQ(Erased(), std::vector<std::string>{"Erasing block: 6"});
    const std::string kept =
        preserve ? Pattern(0x10000, 4) : std::string(kImageAddress - kBlock3, '\xFF');
    EXPECT_TRUE(StoreFlash(kBlock3, 0x20000) == kept + image);

    request.skipUnchanged = false;
    ASSERT_EQ(LoadFlash(request).result, LoadResult::Loaded);
    EXPECT_EQ(status.Last(), "Flash Load complete. Total bytes transferred: 65536");
    EXPECT_EQ(Erased().size(), 4u);
    EXPECT_TRUE(StoreFlash(kBlock3, 0x20000) == kept + image);
}

INSTANTIATE_TEST_SUITE_P(Preservation, SkipUnchanged, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& param) {
                             return param.param ? "KeepingTheRest" : "ErasingTheRest";
                         });

// A board that computes nothing is served as before: every touched block erased and programmed,
// no count of matched blocks.
TEST_F(BoardChecksumTest, BoardWithoutExtensionsLoadsEveryBlock) {
    StartBoard({"--extensions", "none"});
    const LoadRequest request = Load(Write("image.bin", Pattern(kImageLength, 6)), kImageAddress);
    for (int run = 0; run < 2; ++run) {
        const LoadOutcome outcome = LoadFlash(request);
        ASSERT_EQ(outcome.result, LoadResult::Loaded);
        EXPECT_EQ(status.Last(), "Flash Load complete. Total bytes transferred: 65536");
        EXPECT_EQ(Erased().size(), 4u);
        EXPECT_FALSE(outcome.matched.has_value());
    }
}

// A chip that reports an erase done that it did not do: the block's checksum gives it away, and
// the erase fails naming the block and its address, whether the Erase page or a load erases it.
TEST_F(BoardChecksumTest, EraseTheChipIgnoredFailsNamingTheBlock) {
    if (!BoardProcess::HelpNames("ignore-erase")) {
        GTEST_SKIP() << "tessary-board has no --fault ignore-erase";
    }
    // The first erase, the load's, is done; every later one is ignored.
    StartBoard({"--fault", "ignore-erase", "--fault-at", "2"});
    ASSERT_EQ(LoadFlash(Load(Write("image.bin", Pattern(8192, 7)), kBlock5)).result,
              LoadResult::Loaded);
    const int32_t block[] = {5};
    messages = RecordingMessages();
    EXPECT_FALSE(EraseFlashBlocks(session, block, status, messages));
    ASSERT_EQ(messages.texts, std::vector<std::string>{LoadResString(kStrFlashError)});
    EXPECT_TRUE(messages.causes.front().starts_with("block 6 at 0x07A000 still holds data"))
        << messages.causes.front();

    EXPECT_EQ(LoadFlash(Load(Write("other.bin", Pattern(8192, 8)), kBlock5)).result,
              LoadResult::Failed);
    ASSERT_EQ(messages.texts, std::vector<std::string>{LoadResString(kStrFlashError)});
    EXPECT_TRUE(messages.causes.front().starts_with("block 6 at 0x07A000 still holds data"));
}

} // namespace
} // namespace tessary::test
