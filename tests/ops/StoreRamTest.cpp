// Store RAM end to end: the simulated board's RAM into files, in every output mode, and what a
// failed store leaves behind.
#include "LoadOperations.h"
#include "SimBoard.h"
#include "SimFixture.h"
#include "StoreOperations.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace tessary::testing {
namespace {

constexpr uint8_t kRamData = 6;
const std::string kDone = "Ram Store complete. Total bytes transferred: ";

class StoreRamTest : public SimBoardTest {
  protected:
    void SetUp() override {
        SimBoardTest::SetUp();
        const auto ram = Board().Ram();
        for (std::size_t i = 0; i < 0x10000; ++i) {
            ram[i] = static_cast<uint8_t>(i * 7 + 3);
        }
    }
    void Store(const std::string& name, int32_t address, int32_t length, OutputMode mode,
               int32_t offset = 0) {
        StoreRequest request{TempPath(name), address, length, mode, offset};
        StoreRamToFile(session, request, status, messages);
    }
    static std::vector<uint8_t> Concat(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    }
};

TEST_F(StoreRamTest, BlocksAreReadFromTheStartAddressOn) {
    Store("one.bin", 0x100, 8192, OutputMode::Replace);
    EXPECT_EQ(Transfers(LnkTraceCall::GetRegRepeat, kRamData),
              (std::vector<Transfer>{{0x100, 8192}}));
    EXPECT_EQ(status.texts, (std::vector<std::string>{"Reading block: 1", kDone + "8192"}));

    trace.clear();
    status.texts.clear();
    Store("two.bin", 0x100, 8193, OutputMode::Replace);
    EXPECT_EQ(Transfers(LnkTraceCall::GetRegRepeat, kRamData),
              (std::vector<Transfer>{{0x100, 8192}, {0x2100, 1}}));
    EXPECT_EQ(status.texts,
              (std::vector<std::string>{"Reading block: 1", "Reading block: 2", kDone + "8193"}));
    EXPECT_EQ(status.progress.back(), std::make_pair(int64_t{8193}, int64_t{8193}));
    EXPECT_EQ(ReadFile(TempPath("two.bin")), Ram(0x100, 8193));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(StoreRamTest, LengthZeroConnectsReadsNothingAndStillAppliesTheMode) {
    WriteFile(TempPath("old.bin"), {1, 2, 3});
    Store("old.bin", 0, 0, OutputMode::Replace);
    EXPECT_TRUE(ReadFile(TempPath("old.bin")).empty());
    Store("new.bin", 0, 0, OutputMode::Overwrite);
    EXPECT_TRUE(Exists(TempPath("new.bin")));
    EXPECT_EQ(status.texts, (std::vector<std::string>{kDone + "0", kDone + "0"}));
    EXPECT_TRUE(Transfers(LnkTraceCall::GetRegRepeat, kRamData).empty());
    EXPECT_EQ(std::count_if(trace.begin(), trace.end(),
                            [](const TracedCall& c) { return c.call == LnkTraceCall::PutReg; }),
              2); // each store connected (controller to idle)

    // A negative length (which no form lets through) reads nothing and reports nothing as done:
    // the store is refused before the file is touched or the board contacted.
    trace.clear();
    Store("neg.bin", 0, -3, OutputMode::Append);
    EXPECT_EQ(status.texts.size(), 2u);
    EXPECT_FALSE(Exists(TempPath("neg.bin")));
    EXPECT_TRUE(trace.empty());
}

TEST_F(StoreRamTest, OutputModes) {
    const std::vector<uint8_t> old(100, 0xEE);
    const auto data = Ram(0x40, 30);

    WriteFile(TempPath("f.bin"), old);
    Store("f.bin", 0x40, 30, OutputMode::Append);
    EXPECT_EQ(ReadFile(TempPath("f.bin")), Concat(old, data));

    WriteFile(TempPath("f.bin"), old);
    Store("f.bin", 0x40, 30, OutputMode::Replace);
    EXPECT_EQ(ReadFile(TempPath("f.bin")), data);

    // an empty offset writes from the start and keeps the bytes beyond the range
    for (int32_t offset : {0}) {
        WriteFile(TempPath("f.bin"), old);
        Store("f.bin", 0x40, 30, OutputMode::Overwrite, offset);
        auto expected = old;
        std::copy(data.begin(), data.end(), expected.begin());
        EXPECT_EQ(ReadFile(TempPath("f.bin")), expected) << offset;
    }

    WriteFile(TempPath("f.bin"), old);
    Store("f.bin", 0x40, 30, OutputMode::Overwrite, 90);
    auto expected = old;
    expected.resize(120);
    std::copy(data.begin(), data.end(), expected.begin() + 90);
    EXPECT_EQ(ReadFile(TempPath("f.bin")), expected);

    // past the end: the data lands at the offset, the gap reads as zeros
    WriteFile(TempPath("f.bin"), old);
    Store("f.bin", 0x40, 30, OutputMode::Overwrite, 150);
    expected = old;
    expected.resize(150, 0);
    expected.insert(expected.end(), data.begin(), data.end());
    EXPECT_EQ(ReadFile(TempPath("f.bin")), expected);

    Store("missing.bin", 0x40, 30, OutputMode::Overwrite, 5);
    EXPECT_EQ(ReadFile(TempPath("missing.bin")), Concat(std::vector<uint8_t>(5, 0), data));
    Store("missing-append.bin", 0x40, 30, OutputMode::Append);
    EXPECT_EQ(ReadFile(TempPath("missing-append.bin")), data);

    EXPECT_TRUE(messages.shown.empty());
    // no temporary file is left beside the targets
    EXPECT_EQ(DirectoryEntries(), (std::vector<std::string>{"devices.conf", "f.bin",
                                                            "missing-append.bin", "missing.bin"}));
}

TEST_F(StoreRamTest, ReplaceKeepsTheFilesModeAndSymbolicLinks) {
    WriteFile(TempPath("real.bin"), {9, 9});
    ::chmod(TempPath("real.bin").c_str(), 0640);
    ASSERT_EQ(::symlink("real.bin", TempPath("link.bin").c_str()), 0);
    Store("link.bin", 0, 16, OutputMode::Replace);
    EXPECT_EQ(ReadFile(TempPath("real.bin")), Ram(0, 16));
    struct stat info {};
    ASSERT_EQ(::lstat(TempPath("link.bin").c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    ASSERT_EQ(::stat(TempPath("real.bin").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

struct ModeCase {
    OutputMode mode;
    bool fileExists;
};

class StoreRamFailure : public StoreRamTest, public ::testing::WithParamInterface<ModeCase> {};

// A store that fails in the middle (on connecting, on the second block's read, or on writing the
// file) leaves the previous file byte for byte, and creates nothing where there was nothing.
TEST_P(StoreRamFailure, LeavesThePreviousFile) {
    const std::vector<uint8_t> old = MakeFile(TempPath("keep.bin"), 10000, 7);
    const std::string name = GetParam().fileExists ? "keep.bin" : "absent.bin";
    const auto before = DirectoryEntries();

    board::FaultConfig faults;
    // connect, block 1 address, its read-back, block 1 read, block 2 address
    faults.failAccess = 5;
    Board().SetFaults(faults);
    Store(name, 0, 20000, GetParam().mode, 100);
    EXPECT_EQ(status.texts, (std::vector<std::string>{"Reading block: 1", "Reading block: 2",
                                                      "Ram Store error"}));
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(ReadFile(TempPath("keep.bin")), old);
    EXPECT_EQ(DirectoryEntries(), before);

    status.texts.clear();
    session.deviceName = "NoSuchBoard";
    Store(name, 0, 20000, GetParam().mode, 100);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Unable to connect to target board");
    EXPECT_EQ(messages.shown[0].caption, "RAM Store Error");
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Error);
    EXPECT_EQ(status.texts, (std::vector<std::string>{"Ram Store error"}));
    EXPECT_EQ(ReadFile(TempPath("keep.bin")), old);
    EXPECT_EQ(DirectoryEntries(), before);
}

// Files may not grow past 22000 bytes: a 30000-byte store cannot be written whole.
TEST_P(StoreRamFailure, FullDiskFailsTheStoreAndSaysSo) {
    const std::vector<uint8_t> old = MakeFile(TempPath("keep.bin"), 10000, 7);
    const std::string name = GetParam().fileExists ? "keep.bin" : "absent.bin";
    const auto before = DirectoryEntries();

    struct rlimit saved {};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limited = saved;
    limited.rlim_cur = 22000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    Store(name, 0, 30000, GetParam().mode, 100);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Unable to write to specified file.");
    EXPECT_EQ(messages.shown[0].caption, "RAM Store Error");
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Error);
    EXPECT_EQ(status.Last(), "Ram Store error");
    EXPECT_EQ(ReadFile(TempPath("keep.bin")), old);
    EXPECT_EQ(DirectoryEntries(), before);
}

INSTANTIATE_TEST_SUITE_P(Modes, StoreRamFailure,
                         ::testing::Values(ModeCase{OutputMode::Append, true},
                                           ModeCase{OutputMode::Replace, true},
                                           ModeCase{OutputMode::Overwrite, true},
                                           ModeCase{OutputMode::Replace, false},
                                           ModeCase{OutputMode::Overwrite, false}));

TEST_F(StoreRamTest, WriteErrorOfADeviceFailsTheStore) {
    StoreRequest request{"/dev/full", 0, 100, OutputMode::Replace, 0};
    StoreRamToFile(session, request, status, messages);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Unable to write to specified file.");
    EXPECT_EQ(status.Last(), "Ram Store error");
}

TEST_F(StoreRamTest, FileThatCannotBeOpenedIsReportedBeforeTheBoardIsContacted) {
    ::mkdir(TempPath("folder").c_str(), 0755);
    for (const char* name : {"folder", "no/such/dir.bin"}) {
        for (OutputMode mode : {OutputMode::Append, OutputMode::Replace, OutputMode::Overwrite}) {
            messages.shown.clear();
            Store(name, 0, 10, mode);
            ASSERT_EQ(messages.shown.size(), 1u) << name;
            EXPECT_EQ(messages.shown[0].text, "Unable to open specified file.");
            EXPECT_EQ(messages.shown[0].caption, "RAM Store Error");
            EXPECT_EQ(messages.shown[0].icon, MessageIcon::None);
        }
    }
    EXPECT_TRUE(status.texts.empty());
    EXPECT_TRUE(trace.empty());
}

TEST_F(StoreRamTest, StoreThenLoadRoundTripIsByteExact) {
    UseDevice("SimP16", 6); // RAM up to 16 MB
    const auto file = MakeFile(TempPath("in.bin"), 50001, 3);
    LoadRequest load;
    load.fileName = TempPath("in.bin");
    load.startAddress = 0x123456;
    load.verify = true;
    LoadRamOperation(session, load, status, messages);
    Store("out.bin", 0x123456, 50001, OutputMode::Replace);
    EXPECT_EQ(ReadFile(TempPath("out.bin")), file);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(status.ends, 2);
}

} // namespace
} // namespace tessary::testing
