// Load Flash end to end: the erase range, programming, read-array before verify, and the limits.
#include "LoadForm.h"
#include "LoadOperations.h"
#include "SimBoard.h"
#include "SimFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <unistd.h>

namespace tessary::testing {
namespace {

constexpr uint8_t kFlashData = 7;

class LoadFlashTest : public SimBoardTest {
  protected:
    void Load(LoadForm& form) {
        if (auto request = ValidateLoadFlashForm(form, session.memoryConfiguration, messages)) {
            LoadFlashOperation(session, *request, status, messages);
        }
    }
};

struct RangeCase {
    const char* device;
    int32_t configuration;
    uint32_t start;
    uint32_t length;
    std::vector<uint32_t> erased;
    std::vector<std::string> erasingTexts;
};

class LoadFlashRange : public LoadFlashTest, public ::testing::WithParamInterface<RangeCase> {};

TEST_P(LoadFlashRange, ErasesExactlyTheBlocksTheRangeOverlaps) {
    UseDevice(GetParam().device, GetParam().configuration);
    const auto file = MakeFile(TempPath("in.bin"), GetParam().length);
    LoadForm form{TempPath("in.bin"),
                  std::to_string(GetParam().start),
                  "",
                  std::to_string(GetParam().length),
                  true,
                  true};
    Load(form);
    EXPECT_EQ(ErasedAddresses(), GetParam().erased);
    EXPECT_EQ(StatusTextsStartingWith("Erasing block: "), GetParam().erasingTexts);
    EXPECT_EQ(status.Last(),
              "Flash Load complete. Total bytes transferred: " + std::to_string(GetParam().length));
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(Flash(GetParam().start, GetParam().length), file);
}

INSTANTIATE_TEST_SUITE_P(
    Configurations, LoadFlashRange,
    ::testing::Values(RangeCase{"SimQ0", 0, 0, 0x100, {0x00000}, {"Erasing block: 1"}},
                      RangeCase{"SimQ0",
                                0,
                                0x70000,
                                0x10000,
                                {0x60000, 0x78000, 0x7A000, 0x7C000},
                                {"Erasing block: 4", "Erasing block: 5", "Erasing block: 6",
                                 "Erasing block: 7"}},
                      RangeCase{"SimQ3",
                                3,
                                0xDF000,
                                0x2000,
                                {0xC0000, 0xE0000},
                                {"Erasing block: 7", "Erasing block: 8"}},
                      RangeCase{"SimP4", 5, 0x3F0000, 0x10000, {0x3E0000}, {"Erasing block: 32"}},
                      RangeCase{"SimP16",
                                6,
                                0x1FFFF,
                                2,
                                {0x000000, 0x020000},
                                {"Erasing block: 1", "Erasing block: 2"}}));

TEST_F(LoadFlashTest, OneBlockProgramsThenReadsArrayBeforeTheVerifyRead) {
    MakeFile(TempPath("in.bin"), 0x100);
    LoadForm form{TempPath("in.bin"), "0x100", "", "", true, false};
    Load(form);
    ASSERT_EQ(status.Last(), "Flash Load complete. Total bytes transferred: 256");
    // after connecting: address, the address read back, program, read-array command, address,
    // read back
    ASSERT_EQ(trace.size(), 7u);
    EXPECT_EQ(trace[1].data, (std::vector<uint8_t>{0x00, 0x01, 0x00}));
    EXPECT_EQ(trace[2].call, LnkTraceCall::GetRegSet);
    EXPECT_EQ(trace[3].call, LnkTraceCall::PutRegRepeat);
    EXPECT_EQ(trace[3].address, kFlashData);
    EXPECT_EQ(trace[4].registers, (std::vector<uint8_t>{4, 0, 0, 0}));
    EXPECT_EQ(trace[4].data, (std::vector<uint8_t>{0xFF, 0xF5, 0xF7, 0xFF}));
    EXPECT_EQ(trace[5].data, (std::vector<uint8_t>{0x00, 0x01, 0x00}));
    EXPECT_EQ(trace[6].call, LnkTraceCall::GetRegRepeat);
    EXPECT_EQ(trace[6].address, kFlashData);
    EXPECT_EQ(trace[6].count, 0x100);
}

TEST_F(LoadFlashTest, WithoutAutoEraseNothingIsErased) {
    MakeFile(TempPath("in.bin"), 20000);
    LoadForm form{TempPath("in.bin"), "", "", "", false, false};
    Load(form);
    EXPECT_TRUE(ErasedAddresses().empty());
    EXPECT_TRUE(StatusTextsStartingWith("Erasing").empty());
    EXPECT_EQ(Transfers(LnkTraceCall::PutRegRepeat, kFlashData),
              (std::vector<Transfer>{{0, 8192}, {0x2000, 8192}, {0x4000, 3616}}));
    EXPECT_EQ(status.Last(), "Flash Load complete. Total bytes transferred: 20000");
}

TEST_F(LoadFlashTest, OldDataNeedsTheEraseForVerifyToPass) {
    MakeFile(TempPath("old.bin"), 5000, 1);
    const auto fresh = MakeFile(TempPath("new.bin"), 5000, 2);
    LoadForm first{TempPath("old.bin"), "0x40000", "", "", true, true};
    Load(first);
    ASSERT_EQ(status.Last(), "Flash Load complete. Total bytes transferred: 5000");

    // programming only clears bits: over old data the result is old AND new
    LoadForm unerased{TempPath("new.bin"), "0x40000", "", "", true, false};
    Load(unerased);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Write verification failed.");
    EXPECT_EQ(status.Last(), "Flash Load error");

    messages.shown.clear();
    LoadForm erased{TempPath("new.bin"), "0x40000", "", "", true, true};
    Load(erased);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(status.Last(), "Flash Load complete. Total bytes transferred: 5000");
    EXPECT_EQ(Flash(0x40000, 5000), fresh);
}

TEST_F(LoadFlashTest, VerifyDifferenceAfterAGoodEraseIsAnError) {
    MakeFile(TempPath("in.bin"), 3000);
    board::FaultConfig faults;
    faults.flipByte = 1234;
    Board().SetFaults(faults);
    // without preservation the first bytes read back are the verify's
    LoadForm form{TempPath("in.bin"), "", "", "", true, true, false};
    Load(form);
    EXPECT_EQ(StatusTextsStartingWith("Erasing block: ").size(), 1u);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Write verification failed.");
    EXPECT_EQ(messages.shown[0].caption, "Tessary Error");
    EXPECT_FALSE(messages.shown[0].ownedByPage);
    EXPECT_EQ(status.Last(), "Flash Load error");
}

TEST_F(LoadFlashTest, FileReachingPastTheFlashIsRefusedBeforeAnythingIsErased) {
    MakeFile(TempPath("in.bin"), 0x2000);
    LoadForm form{TempPath("in.bin"), "0x7F000", "", "", true, true};
    Load(form);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Invalid Flash address:  maximum Flash address is 0x80000.");
    EXPECT_EQ(messages.shown[0].caption, "Flash Load Error");
    EXPECT_TRUE(trace.empty());
    EXPECT_EQ(status.texts, (std::vector<std::string>{"Flash Load error"}));

    // the same file fits exactly when it ends at the limit
    messages.shown.clear();
    LoadForm fits{TempPath("in.bin"), "0x7E000", "", "", true, true};
    Load(fits);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(status.Last(), "Flash Load complete. Total bytes transferred: 8192");
}

// A slice the file does not hold is refused before anything is erased: the Flash keeps every byte.
TEST_F(LoadFlashTest, SliceTheFileDoesNotHoldErasesNothing) {
    MakeFile(TempPath("fw.bin"), 20000);
    const auto before = Flash(0, 0x20000);
    LoadForm form{TempPath("fw.bin"), "0x1000", "10000", "20000", true, true};
    const auto request = ValidateLoadFlashForm(form, session.memoryConfiguration, messages);
    ASSERT_TRUE(request);
    const LoadOutcome outcome = RunLoadFlash(session, *request, status, messages);
    EXPECT_EQ(outcome.result, LoadResult::Refused);
    EXPECT_EQ(outcome.fileProblem, "'" + TempPath("fw.bin") +
                                       "' holds 20000 bytes, fewer than the 30000 that the file "
                                       "offset 10000 and the length 20000 need; nothing was "
                                       "written to the board.");
    EXPECT_TRUE(trace.empty());
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(status.texts, (std::vector<std::string>{"Flash Load error"}));
    EXPECT_EQ(Flash(0, 0x20000), before);
}

// Cuts the file short when the load shows the status text `text`.
class TruncatingStatus : public RecordingStatus {
  public:
    TruncatingStatus(std::string path, std::string text)
        : path_(std::move(path)), text_(std::move(text)) {}
    void SetStatusText(const std::string& text) override {
        RecordingStatus::SetStatusText(text);
        if (text == text_) {
            EXPECT_EQ(::truncate(path_.c_str(), 100), 0);
        }
    }

  private:
    std::string path_, text_;
};

// The file is read once, before the erase: cut short while the block is saved, the load still
// programs what the file held, and the rest of the block stays.
TEST_F(LoadFlashTest, FileCutShortDuringTheLoadIsLoadedAsItWasRead) {
    const auto file = MakeFile(TempPath("fw.bin"), 20000);
    std::copy(file.begin(), file.end(), Board().FlashMemory().begin() + 0x8000);
    std::vector<uint8_t> expected = Flash(0, 0x20000);
    std::copy(file.begin(), file.end(), expected.begin() + 0x1000);
    TruncatingStatus truncating(TempPath("fw.bin"), "Saving block: 1");
    LoadForm form{TempPath("fw.bin"), "0x1000", "", "", true, true};
    const auto request = ValidateLoadFlashForm(form, session.memoryConfiguration, messages);
    ASSERT_TRUE(request);
    EXPECT_TRUE(LoadFlashOperation(session, *request, truncating, messages));
    EXPECT_EQ(truncating.Last(), "Flash Load complete. Total bytes transferred: 20000");
    EXPECT_EQ(ReadFile(TempPath("fw.bin")).size(), 100u);
    EXPECT_EQ(Flash(0, 0x20000), expected);
}

TEST_F(LoadFlashTest, NegativeStartIsRefusedEvenWithoutValidation) {
    MakeFile(TempPath("in.bin"), 0x100);
    LoadRequest request;
    request.fileName = TempPath("in.bin");
    request.startAddress = -0x1000;
    request.autoErase = true;
    LoadFlashOperation(session, request, status, messages);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Invalid Flash address:  maximum Flash address is 0x80000.");
    EXPECT_TRUE(ErasedAddresses().empty());
    EXPECT_EQ(status.Last(), "Flash Load error");
}

TEST_F(LoadFlashTest, FailedEraseStopsBeforeProgramming) {
    MakeFile(TempPath("in.bin"), 0x100);
    Board().SetLockedBlocks({0});
    LoadForm form{TempPath("in.bin"), "", "", "", true, true};
    Load(form);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Flash memory error.");
    EXPECT_EQ(CommandCount(0x50), 1);
    EXPECT_TRUE(Transfers(LnkTraceCall::PutRegRepeat, kFlashData).empty());
    EXPECT_EQ(status.Last(), "Flash Load error");

    Board().SetLockedBlocks({});
    Board().SetNeverReady(true);
    messages.shown.clear();
    LoadFlashOperation(session, *ValidateLoadFlashForm(form, session.memoryConfiguration, messages),
                       status, messages, CancelToken::Never(),
                       FlashWait{std::chrono::milliseconds(20)});
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Error communicating with the memory controller.");
    EXPECT_EQ(status.Last(), "Flash Load error");
}

TEST_F(LoadFlashTest, RunTimeFailuresUseTheFlashCaption) {
    LoadRequest request;
    request.fileName = TempPath("missing.bin");
    LoadFlashOperation(session, request, status, messages);
    MakeFile(TempPath("in.bin"), 10);
    request.fileName = TempPath("in.bin");
    session.deviceName = "NoSuchBoard";
    LoadFlashOperation(session, request, status, messages);
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].text, "Unable to open specified file.");
    EXPECT_EQ(messages.shown[1].text, "Unable to connect to target board");
    for (const Message& message : messages.shown) {
        EXPECT_EQ(message.caption, "Flash Load Error");
        EXPECT_EQ(message.icon, MessageIcon::Error);
    }
    EXPECT_EQ(status.texts, (std::vector<std::string>{"Flash Load error", "Flash Load error"}));
}

} // namespace
} // namespace tessary::testing
