// Erase Flash end to end: block-erase sequences, the wait for the chip and every way it can end.
#include "EraseFlash.h"
#include "SimBoard.h"
#include "SimFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>

namespace tessary::testing {
namespace {

using namespace std::chrono_literals;

const Message kFlashError{"Flash memory error.", "Tessary Error", MessageIcon::Error, false};
const Message kLinkError{"Error communicating with the memory controller.", "Tessary Error",
                         MessageIcon::Error, false};

void ExpectMessages(const RecordingMessages& messages, const std::vector<Message>& expected) {
    ASSERT_EQ(messages.shown.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(messages.shown[i].text, expected[i].text);
        EXPECT_EQ(messages.shown[i].caption, expected[i].caption);
        EXPECT_EQ(messages.shown[i].icon, expected[i].icon);
        EXPECT_EQ(messages.shown[i].ownedByPage, expected[i].ownedByPage);
    }
}

std::vector<std::string> EraseTexts(int from, int to) {
    std::vector<std::string> texts{"Connecting"};
    for (int i = from; i <= to; ++i) {
        texts.push_back("Erasing block: " + std::to_string(i));
    }
    return texts;
}

class EraseFlashTest : public SimBoardTest {
  protected:
    void FillFlash(uint8_t value) {
        const auto flash = Board().FlashMemory();
        std::fill(flash.begin(), flash.end(), value);
    }
    // Status reads: the Flash status register read while the strobe holds 0xF6.
    int StatusReads() const {
        return static_cast<int>(std::count_if(trace.begin(), trace.end(), [](const TracedCall& c) {
            return c.call == LnkTraceCall::GetReg && c.address == 5;
        }));
    }
};

struct LayoutCase {
    const char* device;
    int32_t configuration;
    std::vector<uint32_t> firstAddresses;
    uint32_t lastAddress;
    std::size_t count;
};

class EraseAll : public EraseFlashTest, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(EraseAll, ErasesEveryBlockOfTheConfigurationInOrder) {
    UseDevice(GetParam().device, GetParam().configuration);
    FillFlash(0x00);
    EraseFlashBlocks(session, AllFlashBlocks(session.memoryConfiguration), status, messages);

    const auto erased = ErasedAddresses();
    ASSERT_EQ(erased.size(), GetParam().count);
    EXPECT_TRUE(std::equal(GetParam().firstAddresses.begin(), GetParam().firstAddresses.end(),
                           erased.begin()));
    EXPECT_EQ(erased.back(), GetParam().lastAddress);
    auto texts = EraseTexts(1, static_cast<int>(GetParam().count));
    texts.push_back("Erase Complete");
    EXPECT_EQ(status.texts, texts);
    EXPECT_EQ(status.progress.back(),
              std::make_pair(int64_t(GetParam().count), int64_t(GetParam().count)));
    EXPECT_EQ(status.ends, 1);
    EXPECT_TRUE(messages.shown.empty());
    const auto flash = Board().FlashMemory();
    EXPECT_TRUE(std::all_of(flash.begin(), flash.end(), [](uint8_t b) { return b == 0xFF; }));
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, EraseAll,
    ::testing::Values(LayoutCase{"SimQ0",
                                 0,
                                 {0x00000, 0x20000, 0x40000, 0x60000, 0x78000, 0x7A000, 0x7C000},
                                 0x7C000,
                                 7},
                      LayoutCase{"SimQ0", 1, {0x00000, 0x20000}, 0x7C000, 7},
                      LayoutCase{"SimQ3", 3, {0x00000, 0x20000}, 0xFC000, 11},
                      LayoutCase{"SimP4", 5, {0x000000, 0x020000}, 0x3E0000, 32},
                      LayoutCase{"SimP16", 6, {0x000000, 0x020000, 0x040000}, 0xFE0000, 128}));

TEST_F(EraseFlashTest, WaitsWhileTheChipReportsBusy) {
    Board().SetTimeScale(0); // the busy reads alone keep the chip busy
    Board().SetBusyReads(5); // 0x00 five times, then 0x80
    EraseFlashBlocks(session, std::vector<int32_t>{4}, status, messages);
    EXPECT_EQ(StatusReads(), 6);
    EXPECT_EQ(status.Last(), "Erase Complete");

    trace.clear();
    Board().SetBusyReads(0); // ready at the first read
    EraseFlashBlocks(session, std::vector<int32_t>{4}, status, messages);
    EXPECT_EQ(StatusReads(), 1);
}

TEST_F(EraseFlashTest, LockedBlockIsAFailedEraseAndTheStatusIsCleared) {
    FillFlash(0x00);
    Board().SetLockedBlocks({2}); // erase reports 0xA2: ready, erase error, locked
    EraseFlashBlocks(session, AllFlashBlocks(session.memoryConfiguration), status, messages);
    ExpectMessages(messages, {kFlashError});
    EXPECT_EQ(status.texts, EraseTexts(1, 3));
    EXPECT_EQ(CommandCount(0x50), 1);
    EXPECT_EQ(ErasedAddresses().size(), 3u); // later blocks untouched
    EXPECT_EQ(Board().FlashMemory()[0x40000], 0x00);
    EXPECT_EQ(Board().FlashMemory()[0x60000], 0x00);
    EXPECT_EQ(status.ends, 1);

    // the chip was left usable: once unlocked, a new run erases everything
    Board().SetLockedBlocks({});
    messages.shown.clear();
    EraseFlashBlocks(session, AllFlashBlocks(session.memoryConfiguration), status, messages);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(status.Last(), "Erase Complete");
}

TEST_F(EraseFlashTest, ErrorBitsLeftFromAnEarlierCommandFailTheErase) {
    // an erase setup followed by something other than its confirm leaves erase (and program)
    // error bits standing; a ready status with them set is not an erased block
    Board().flash().Command(0x20, 0);
    Board().flash().Command(0x00, 0);
    ASSERT_EQ(Board().flash().PeekStatus() & 0xA0, 0xA0);
    EraseFlashBlocks(session, AllFlashBlocks(session.memoryConfiguration), status, messages);
    ExpectMessages(messages, {kFlashError});
    EXPECT_EQ(status.texts, EraseTexts(1, 1));
    EXPECT_EQ(Board().flash().PeekStatus(), 0x80);
}

TEST_F(EraseFlashTest, NeverReadyChipTimesOutPromptlyWithoutBurningTheCpu) {
    Board().SetNeverReady(true);
    timespec cpuBefore{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpuBefore);
    const auto start = std::chrono::steady_clock::now();
    EraseFlashBlocks(session, AllFlashBlocks(session.memoryConfiguration), status, messages,
                     CancelToken::Never(), FlashWait{300ms});
    const auto wall = std::chrono::steady_clock::now() - start;
    timespec cpuAfter{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpuAfter);
    const auto cpu = std::chrono::seconds(cpuAfter.tv_sec - cpuBefore.tv_sec) +
                     std::chrono::nanoseconds(cpuAfter.tv_nsec - cpuBefore.tv_nsec);

    ExpectMessages(messages, {kLinkError});
    EXPECT_EQ(status.texts, EraseTexts(1, 1));
    EXPECT_GE(wall, 300ms);
    EXPECT_LT(wall, 3s);
    // polling sleeps once the chip has had a moment; a busy loop would use the whole wait
    EXPECT_LT(cpu, wall / 2);
}

TEST_F(EraseFlashTest, FailingConnectLeavesConnecting) {
    session.deviceName = "NoSuchBoard";
    EraseFlashBlocks(session, AllFlashBlocks(session.memoryConfiguration), status, messages);
    ExpectMessages(messages, {kFlashError});
    EXPECT_EQ(status.texts, (std::vector<std::string>{"Connecting"}));
    EXPECT_EQ(status.ends, 1);
}

TEST_F(EraseFlashTest, LinkFailuresStopTheRunAtTheirBlock) {
    // accesses: connect 1; block 1: sequence 2, the address read back 3, status strobe 4, read 5,
    // idle 6; block 2: sequence 7, status strobe 8, read 9 ...
    Board().SetTimeScale(0);            // one status read an erase
    for (uint64_t failing : {7u, 9u}) { // block 2's sequence, block 2's status read
        trace.clear();
        messages.shown.clear();
        status.texts.clear();
        board::FaultConfig faults;
        faults.failAccess = failing;
        Board().SetBusyReads(0);
        Board().SetFaults(faults);
        EraseFlashBlocks(session, AllFlashBlocks(session.memoryConfiguration), status, messages);
        ExpectMessages(messages, {kLinkError});
        EXPECT_EQ(status.texts, EraseTexts(1, 2)) << failing;
    }
}

TEST_F(EraseFlashTest, UnknownInterfaceIsOneBoxNotOutOfMemory) {
    session.interfaceType = 9;
    EraseFlashBlocks(session, AllFlashBlocks(session.memoryConfiguration), status, messages);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Invalid interface type selected");
    EXPECT_EQ(messages.shown[0].caption, "Internal Error");
    EXPECT_TRUE(status.texts.empty());
}

TEST_F(EraseFlashTest, EraseSelectedErasesExactlyTheCheckedBlocks) {
    FillFlash(0x00);
    EraseSelectedFlashBlocks(session, {6, 1, 4, 4, 42}, status, messages);
    EXPECT_EQ(ErasedAddresses(), (std::vector<uint32_t>{0x20000, 0x78000, 0x7C000}));
    EXPECT_EQ(status.texts, (std::vector<std::string>{"Connecting", "Checking block: 2",
                                                      "Erasing block: 2", "Checking block: 5",
                                                      "Erasing block: 5", "Checking block: 7",
                                                      "Erasing block: 7", "Erase Complete"}));
    const auto flash = Board().FlashMemory();
    EXPECT_EQ(flash[0x1FFFF], 0x00);
    EXPECT_EQ(flash[0x20000], 0xFF);
    EXPECT_EQ(flash[0x3FFFF], 0xFF);
    EXPECT_EQ(flash[0x40000], 0x00);
    EXPECT_EQ(flash[0x79FFF], 0xFF);
    EXPECT_EQ(flash[0x7A000], 0x00);
    EXPECT_EQ(flash[0x7FFFF], 0xFF);

    UseDevice("SimQ3", 3);
    FillFlash(0x00);
    trace.clear();
    EraseSelectedFlashBlocks(session, {10, 7}, status, messages);
    EXPECT_EQ(ErasedAddresses(), (std::vector<uint32_t>{0xE0000, 0xFC000}));
    EXPECT_TRUE(messages.shown.empty());
}

// A block that already reads erased costs an erase cycle for nothing: Erase Selected skips it,
// and says so. One programmed byte anywhere in a block makes it need the erase.
TEST_F(EraseFlashTest, EraseSelectedSkipsBlocksThatAreAlreadyErased) {
    Board().FlashMemory()[0x7BFFF] = 0xFE; // the last byte of block 5 (index 5)
    EraseSelectedFlashBlocks(session, {4, 5, 6}, status, messages);
    EXPECT_EQ(ErasedAddresses(), (std::vector<uint32_t>{0x7A000}));
    EXPECT_EQ(StatusTextsStartingWith("Block "),
              (std::vector<std::string>{"Block 5 is already erased; skipped",
                                        "Block 7 is already erased; skipped"}));
    EXPECT_EQ(status.Last(), "Erase Complete (2 of 3 blocks were already erased)");
    EXPECT_EQ(Board().FlashMemory()[0x7BFFF], 0xFF);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(EraseFlashTest, EraseSelectedWithNothingCheckedSaysSoAndSendsNothing) {
    EraseSelectedFlashBlocks(session, {}, status, messages);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "No blocks are selected for erasing.");
    EXPECT_TRUE(trace.empty());
    EXPECT_TRUE(status.texts.empty());
}

} // namespace
} // namespace tessary::testing
