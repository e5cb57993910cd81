// Cancelling every operation part-way through, from the thread that runs it (as a signal handler
// or a Cancel button on another thread would, between two reports): where it stops, what it
// leaves in the files and on the board, and what it says.
#include "EraseFlash.h"
#include "Flash.h"
#include "LoadOperations.h"
#include "SimBoard.h"
#include "SimFixture.h"
#include "StoreOperations.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tessary::testing {
namespace {

constexpr uint8_t kRamData = 6;
constexpr uint8_t kFlashData = 7;
constexpr uint8_t kReadArray = 0xFF;

// Records like RecordingStatus and cancels the token once the operation reports `fraction` of its
// work done (or on the status text `text`).
class CancellingStatus : public RecordingStatus {
  public:
    CancellingStatus(CancelToken& token, double fraction, std::string text = {})
        : token_(token), fraction_(fraction), text_(std::move(text)) {}

    void SetStatusText(const std::string& text) override {
        RecordingStatus::SetStatusText(text);
        if (!text_.empty() && text == text_) {
            token_.Cancel();
        }
    }
    void ReportProgress(int64_t done, int64_t total) override {
        RecordingStatus::ReportProgress(done, total);
        if (text_.empty() && !token_.Cancelled() && done >= total * fraction_) {
            cancelledAt = done;
            token_.Cancel();
        }
    }

    int64_t cancelledAt = -1;

  private:
    CancelToken& token_;
    double fraction_;
    std::string text_;
};

class CancelTest : public SimBoardTest {
  protected:
    // The data calls after the last one that wrote `command` to the Flash command register.
    bool LastCommandWas(uint8_t command) const {
        for (auto call = trace.rbegin(); call != trace.rend(); ++call) {
            if (call->call == LnkTraceCall::PutRegSet && call->registers.size() == 4) {
                return call->data.front() == command;
            }
        }
        return false;
    }

    CancelToken cancel;
};

struct StoreCase {
    const char* name;
    OutputMode mode;
};

class CancelledStore : public CancelTest, public ::testing::WithParamInterface<StoreCase> {};

TEST_P(CancelledStore, LeavesTheOldFileByteIdenticalAndNoTemporaryFile) {
    UseDevice("SimP16", 6); // 160K of RAM
    const auto old = MakeFile(TempPath("image.bin"), 10000, 7);
    const auto before = DirectoryEntries();
    CancellingStatus cancelling(cancel, 0.3);
    StoreRequest request{TempPath("image.bin"), 0, 20 * 8192, GetParam().mode, 100};

    EXPECT_FALSE(StoreRamToFile(session, request, cancelling, messages, cancel));

    EXPECT_EQ(ReadFile(TempPath("image.bin")), old);
    EXPECT_EQ(DirectoryEntries(), before);
    EXPECT_EQ(cancelling.Last(), "Operation cancelled.");
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(cancelling.ends, 1);
    // stopped at the block after the one that reached 30 %
    EXPECT_EQ(Transfers(LnkTraceCall::GetRegRepeat, kRamData).size(), 6u);
}

INSTANTIATE_TEST_SUITE_P(Modes, CancelledStore,
                         ::testing::Values(StoreCase{"Append", OutputMode::Append},
                                           StoreCase{"Replace", OutputMode::Replace},
                                           StoreCase{"Overwrite", OutputMode::Overwrite}),
                         [](const auto& tested) { return std::string(tested.param.name); });

TEST_F(CancelTest, CancelledStoreIntoANewFileLeavesNoFile) {
    const auto before = DirectoryEntries();
    CancellingStatus cancelling(cancel, 0.3);
    StoreRequest request{TempPath("new.bin"), 0, 10 * 8192, OutputMode::Replace, 0};
    EXPECT_FALSE(StoreFlashToFile(session, request, cancelling, messages, cancel));
    EXPECT_EQ(DirectoryEntries(), before);
    EXPECT_EQ(cancelling.Last(), "Operation cancelled.");
}

TEST_F(CancelTest, CancelledLoadSaysHowFarItGot) {
    MakeFile(TempPath("in.bin"), 10 * 8192);
    CancellingStatus cancelling(cancel, 0.3);
    LoadRequest request{TempPath("in.bin"), 0, 0x1000, kLengthToEndOfFile, true, false};

    EXPECT_FALSE(LoadRamOperation(session, request, cancelling, messages, cancel));

    EXPECT_EQ(cancelling.cancelledAt, 3 * 8192);
    EXPECT_EQ(cancelling.Last(), "Operation cancelled. 24576 of 81920 bytes loaded.");
    EXPECT_EQ(Transfers(LnkTraceCall::PutRegRepeat, kRamData).size(), 3u);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(cancelling.ends, 1);
}

TEST_F(CancelTest, CancelBeforeTheFirstBlockMovesNothing) {
    MakeFile(TempPath("in.bin"), 8192);
    cancel.Cancel();
    LoadRequest request{TempPath("in.bin"), 0, 0, kLengthToEndOfFile, false, false};
    EXPECT_FALSE(LoadRamOperation(session, request, status, messages, cancel));
    EXPECT_TRUE(Transfers(LnkTraceCall::PutRegRepeat, kRamData).empty());
    EXPECT_EQ(status.Last(), "Operation cancelled. 0 of 8192 bytes loaded.");
}

// A cancel before the erase leaves the Flash as it was: one while the bytes the load does not
// cover are saved, and one once they are (30 % of the work: the save of 1 of 3 steps).
TEST_F(CancelTest, FlashLoadCancelledBeforeTheEraseLeavesTheFlashAlone) {
    MakeFile(TempPath("in.bin"), 8 * 8192);
    const auto old = MakeFile(TempPath("old.bin"), 0x20000, 5);
    std::copy(old.begin(), old.end(), Board().FlashMemory().begin());
    for (const std::string& at : {std::string("Saving block: 1"), std::string()}) {
        CancelToken token;
        CancellingStatus cancelling(token, 0.3, at);
        trace.clear();
        LoadRequest request{TempPath("in.bin"), 0, 0, kLengthToEndOfFile, false, true};

        EXPECT_FALSE(LoadFlashOperation(session, request, cancelling, messages, token));

        EXPECT_TRUE(ErasedAddresses().empty()) << at;
        EXPECT_TRUE(Transfers(LnkTraceCall::PutRegRepeat, kFlashData).empty());
        EXPECT_TRUE(LastCommandWas(kReadArray));
        EXPECT_EQ(Board().flash().mode(), board::Flash::Mode::ReadArray);
        EXPECT_EQ(cancelling.Last(), "Operation cancelled. 0 of 65536 bytes loaded.");
        EXPECT_EQ(Flash(0, 0x20000), old) << at;
    }
    EXPECT_TRUE(messages.shown.empty());
}

// A cancel during the erase of a block whose other bytes are kept lets them be programmed back
// first; the status says what was erased and that they are back.
TEST_F(CancelTest, FlashLoadCancelledDuringTheEraseRestoresTheKeptBytesFirst) {
    MakeFile(TempPath("in.bin"), 8 * 8192);
    const auto old = MakeFile(TempPath("old.bin"), 0x20000, 5);
    std::copy(old.begin(), old.end(), Board().FlashMemory().begin());
    CancellingStatus cancelling(cancel, 0, "Erasing block: 1");
    LoadRequest request{TempPath("in.bin"), 0, 0, kLengthToEndOfFile, false, true};

    EXPECT_FALSE(LoadFlashOperation(session, request, cancelling, messages, cancel));

    EXPECT_EQ(ErasedAddresses(), (std::vector<uint32_t>{0}));
    EXPECT_TRUE(std::none_of(cancelling.texts.begin(), cancelling.texts.end(),
                             [](const std::string& text) { return text.starts_with("Loading"); }));
    EXPECT_EQ(Board().flash().mode(), board::Flash::Mode::ReadArray);
    EXPECT_EQ(cancelling.Last(), "Operation cancelled. 0 of 65536 bytes loaded. Erased block: 1; "
                                 "the bytes the load does not cover were programmed back.");
    EXPECT_EQ(Flash(0x10000, 0x10000), std::vector<uint8_t>(old.begin() + 0x10000, old.end()));
    EXPECT_EQ(Flash(0, 0x10000), std::vector<uint8_t>(0x10000, 0xFF));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(CancelTest, FlashLoadCancelledBetweenBlocksLeavesReadArrayMode) {
    MakeFile(TempPath("in.bin"), 8 * 8192);
    CancellingStatus cancelling(cancel, 0, "Loading block: 3");
    LoadRequest request{TempPath("in.bin"), 0, 0, kLengthToEndOfFile, false, false};

    EXPECT_FALSE(LoadFlashOperation(session, request, cancelling, messages, cancel));

    // block 3 was under way when the cancel came; the loop stops before block 4
    EXPECT_EQ(Transfers(LnkTraceCall::PutRegRepeat, kFlashData).size(), 3u);
    EXPECT_TRUE(LastCommandWas(kReadArray));
    EXPECT_EQ(Board().flash().mode(), board::Flash::Mode::ReadArray);
    EXPECT_EQ(cancelling.Last(), "Operation cancelled. 24576 of 65536 bytes loaded.");
    // the board is left usable: a store reads back what was programmed
    const auto stored = TempPath("back.bin");
    EXPECT_TRUE(
        StoreFlashToFile(session, {stored, 0, 3 * 8192, OutputMode::Replace, 0}, status, messages));
    std::vector<uint8_t> programmed = ReadFile(TempPath("in.bin"));
    programmed.resize(3 * 8192);
    EXPECT_EQ(ReadFile(stored), programmed);
}

// A chip that is still erasing ignores read-array; the erase under way is waited for first.
TEST_F(CancelTest, EraseCancelledDuringABlockFinishesThatBlockThenReadsArray) {
    Board().SetBusyReads(20);
    CancellingStatus cancelling(cancel, 0, "Erasing block: 3");

    EXPECT_FALSE(EraseFlashBlocks(session, AllFlashBlocks(session.memoryConfiguration), cancelling,
                                  messages, cancel));

    EXPECT_EQ(ErasedAddresses(), (std::vector<uint32_t>{0x00000, 0x20000, 0x40000}));
    EXPECT_FALSE(Board().flash().busy());
    EXPECT_TRUE(LastCommandWas(kReadArray));
    EXPECT_EQ(Board().flash().mode(), board::Flash::Mode::ReadArray);
    EXPECT_EQ(cancelling.Last(), "Operation cancelled.");
    EXPECT_TRUE(messages.shown.empty());
}

} // namespace
} // namespace tessary::testing
