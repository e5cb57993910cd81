// Load RAM end to end: files into the simulated board's RAM through the operation and its sinks.
#include "LoadForm.h"
#include "LoadOperations.h"
#include "SimBoard.h"
#include "SimFixture.h"

#include <gtest/gtest.h>

namespace tessary::testing {
namespace {

constexpr uint8_t kRamData = 6;

class LoadRamTest : public SimBoardTest {
  protected:
    // Validates the form as the page does and runs the load when the form is good.
    void Load(LoadForm& form) {
        if (auto request = ValidateLoadRamForm(form, messages)) {
            LoadRamOperation(session, *request, status, messages);
        }
    }
};

TEST_F(LoadRamTest, WholeFileGoesInBlocksWithTheirTextsAndProgress) {
    const auto file = MakeFile(TempPath("in.bin"), 20000);
    LoadForm form{TempPath("in.bin"), "", "", "", false};
    Load(form);

    EXPECT_EQ(Transfers(LnkTraceCall::PutRegRepeat, kRamData),
              (std::vector<Transfer>{{0, 8192}, {0x2000, 8192}, {0x4000, 3616}}));
    EXPECT_EQ(status.texts,
              (std::vector<std::string>{"Loading block: 1", "Loading block: 2", "Loading block: 3",
                                        "RAM load complete. Total bytes transferred: 20000"}));
    EXPECT_EQ(status.progress, (std::vector<std::pair<int64_t, int64_t>>{
                                   {8192, 20000}, {16384, 20000}, {20000, 20000}}));
    EXPECT_EQ(status.ends, 1);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(Ram(0, file.size()), file);
}

TEST_F(LoadRamTest, OffsetAndLengthSelectTheSlice) {
    const auto file = MakeFile(TempPath("in.bin"), 20000);
    LoadForm rest{TempPath("in.bin"), "0x100", "100", "", false};
    Load(rest);
    EXPECT_EQ(status.Last(), "RAM load complete. Total bytes transferred: 19900");
    EXPECT_EQ(Ram(0x100, 19900), std::vector<uint8_t>(file.begin() + 100, file.end()));

    status.texts.clear();
    LoadForm typed{TempPath("in.bin"), "", "", "8,192", true};
    Load(typed);
    EXPECT_EQ(typed.length, "8192");
    EXPECT_EQ(status.texts,
              (std::vector<std::string>{"Loading block: 1",
                                        "RAM load complete. Total bytes transferred: 8192"}));
    EXPECT_EQ(Ram(0, 8192), std::vector<uint8_t>(file.begin(), file.begin() + 8192));
}

// The slice is read whole before the board is contacted: a file that does not hold it is
// refused with nothing written (the page shows only its error status, the command line says why).
TEST_F(LoadRamTest, SliceTheFileDoesNotHoldIsRefusedBeforeConnecting) {
    MakeFile(TempPath("in.bin"), 20000);
    const std::string name = "'" + TempPath("in.bin") + "'";
    const std::vector<std::pair<LoadForm, std::string>> cases = {
        {{TempPath("in.bin"), "", "", "30000"},
         name + " holds 20000 bytes, fewer than the 30000 that the file offset 0 and the length "
                "30000 need; nothing was written to the board."},
        {{TempPath("in.bin"), "", "30000", "10"},
         name + " holds 20000 bytes, fewer than the 30010 that the file offset 30000 and the "
                "length 10 need; nothing was written to the board."},
        {{TempPath("in.bin"), "", "20001", ""},
         "The file offset 20001 lies past the end of " + name +
             ", which holds 20000 bytes; nothing was written to the board."}};
    for (auto [form, problem] : cases) {
        trace.clear();
        const auto request = ValidateLoadRamForm(form, messages);
        ASSERT_TRUE(request);
        const LoadOutcome outcome = RunLoadRam(session, *request, status, messages);
        EXPECT_EQ(outcome.result, LoadResult::Refused) << problem;
        EXPECT_EQ(outcome.fileProblem, problem);
        EXPECT_TRUE(trace.empty()) << problem;
        EXPECT_EQ(status.Last(), "RAM load error");
    }
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(LoadRamTest, NothingToTransferStillConnectsAndReportsTheLength) {
    WriteFile(TempPath("empty.bin"), {});
    MakeFile(TempPath("in.bin"), 100);
    const std::vector<std::pair<LoadForm, std::string>> cases = {
        {{TempPath("empty.bin"), "", "", ""}, "RAM load complete. Total bytes transferred: 0"},
        {{TempPath("in.bin"), "", "", "0"}, "RAM load complete. Total bytes transferred: 0"},
    };
    for (auto [form, text] : cases) {
        trace.clear();
        Load(form);
        EXPECT_EQ(status.Last(), text);
        // the controller was put into idle on connecting, and no data moved
        ASSERT_FALSE(trace.empty());
        EXPECT_EQ(trace.front().call, LnkTraceCall::PutReg);
        EXPECT_TRUE(Transfers(LnkTraceCall::PutRegRepeat, kRamData).empty());
    }
    EXPECT_TRUE(messages.shown.empty());
}

struct RamSizeCase {
    const char* device;
    int32_t configuration;
    const char* address;
    const char* length;
    std::string message; // empty: the load fits
};

class LoadRamSize : public LoadRamTest, public ::testing::WithParamInterface<RamSizeCase> {};

// A module's address lines end at its RAM: past it each block would land on an earlier one and
// read back the same, so the load would end as a success holding only the file's tail. A range
// past the RAM of the configuration is refused before the board is contacted, whether its end
// comes from a typed length or from the file's size (300 bytes).
TEST_P(LoadRamSize, RangePastTheModulesRamIsRefusedBeforeConnecting) {
    UseDevice(GetParam().device, GetParam().configuration);
    MakeFile(TempPath("in.bin"), 300);
    LoadForm form{TempPath("in.bin"), GetParam().address, "", GetParam().length, true};
    Load(form);
    if (GetParam().message.empty()) {
        EXPECT_TRUE(messages.shown.empty());
        EXPECT_EQ(status.Last(), "RAM load complete. Total bytes transferred: 300");
        return;
    }
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, GetParam().message);
    EXPECT_EQ(messages.shown[0].caption, "RAM Load Error");
    EXPECT_TRUE(trace.empty());
    EXPECT_EQ(status.Last(), "RAM load error");
}

INSTANTIATE_TEST_SUITE_P(
    Modules, LoadRamSize,
    ::testing::Values(
        RamSizeCase{"SimQ0", 0, "0x1FF00", "",
                    "Invalid RAM address:  the RAM of Q0 (512K Flash, 128K RAM) holds 128K (up to "
                    "0x20000); the range ends at 0x2002C."},
        RamSizeCase{"SimQ0", 0, "0", "0x30000",
                    "Invalid RAM address:  the RAM of Q0 (512K Flash, 128K RAM) holds 128K (up to "
                    "0x20000); the range ends at 0x30000."},
        RamSizeCase{"SimQ0", 0, "0x1FED4", "", ""},
        RamSizeCase{"SimQ0", 1, "0", "0x80001",
                    "Invalid RAM address:  the RAM of Q1 (512K Flash, 512K RAM) holds 512K (up to "
                    "0x80000); the range ends at 0x80001."},
        RamSizeCase{"SimQ0", 2, "0xFFF00", "",
                    "Invalid RAM address:  the RAM of Q2 (1024K RAM) holds 1024K (up to "
                    "0x100000); the range ends at 0x10002C."},
        RamSizeCase{"SimQ3", 3, "0", "", "Invalid RAM address:  Q3 (1024K Flash) has no RAM."},
        RamSizeCase{"SimP16", 6, "0xFFFF00", "",
                    "Invalid RAM address:  the RAM of Parvel (16MB Flash, 16MB RAM) holds 16MB (up "
                    "to 0x1000000); the range ends at 0x100002C."},
        RamSizeCase{"SimP16", 6, "0xFFFED4", "", ""}));

TEST_F(LoadRamTest, NegativeNumbersAreNoNumbers) {
    MakeFile(TempPath("in.bin"), 300);
    for (const auto& [form, what] : std::vector<std::pair<LoadForm, std::string>>{
             {{TempPath("in.bin"), "", "", "-5"}, "length"},
             {{TempPath("in.bin"), "-16", "", ""}, "address"},
             {{TempPath("in.bin"), "", "-2", ""}, "file offset"}}) {
        messages.shown.clear();
        trace.clear();
        LoadForm copy = form;
        Load(copy);
        ASSERT_EQ(messages.shown.size(), 1u) << what;
        EXPECT_EQ(messages.shown[0].text,
                  "Must enter valid Decimal or Hex number to specify " + what + ".");
        EXPECT_TRUE(trace.empty());
    }
}

TEST_F(LoadRamTest, CorruptedReadBackFailsVerifyOnce) {
    MakeFile(TempPath("in.bin"), 20000);
    board::FaultConfig faults;
    faults.flipFrom = 100; // every byte read back from the 100th on is wrong
    Board().SetFaults(faults);
    LoadForm form{TempPath("in.bin"), "", "", "", true};
    Load(form);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Write verification failed.");
    EXPECT_EQ(messages.shown[0].caption, "Tessary Error");
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Error);
    EXPECT_FALSE(messages.shown[0].ownedByPage);
    EXPECT_EQ(status.Last(), "RAM load error");
    EXPECT_EQ(Transfers(LnkTraceCall::GetRegRepeat, kRamData).size(), 1u);
}

TEST_F(LoadRamTest, ControllerRegistersFollowRegisterBase) {
    UseDevice("SimHighBase", 0);
    session.registerBase = 0xF8;
    const auto file = MakeFile(TempPath("in.bin"), 9000);
    LoadForm form{TempPath("in.bin"), "0x10", "", "", true};
    Load(form);
    EXPECT_EQ(status.Last(), "RAM load complete. Total bytes transferred: 9000");
    EXPECT_EQ(Transfers(LnkTraceCall::PutRegRepeat, kRamData),
              (std::vector<Transfer>{{0x10, 8192}, {0x2010, 808}}));
    EXPECT_EQ(Ram(0x10, 9000), file);
}

struct FailureCase {
    const char* name;
    std::string message; // empty: no message box
};

class LoadRamFailures : public LoadRamTest, public ::testing::WithParamInterface<FailureCase> {};

// Each bad input or failing board ends in "RAM load error", never in a crash or a hang.
TEST_P(LoadRamFailures, EndInLoadError) {
    MakeFile(TempPath("in.bin"), 20000);
    ::mkdir(TempPath("folder").c_str(), 0755);
    const std::string name = GetParam().name;
    LoadRequest request;
    request.fileName = TempPath("in.bin");
    if (name == "missing") {
        request.fileName = TempPath("nothing.bin");
    } else if (name == "directory") {
        request.fileName = TempPath("folder");
    } else if (name == "not a directory") {
        request.fileName = TempPath("in.bin/x");
    } else if (name == "offset past end") {
        request.fileOffset = 20001;
    } else if (name == "offset past end, typed length") {
        request.fileOffset = 30000;
        request.length = 10;
    } else if (name == "unknown device") {
        session.deviceName = "NoSuchBoard";
    } else if (name == "write fails") {
        board::FaultConfig faults;
        faults.failAccess = 4; // connect takes one access; the second block's address set fails
        Board().SetFaults(faults);
    }
    LoadRamOperation(session, request, status, messages);
    EXPECT_EQ(status.Last(), "RAM load error");
    EXPECT_EQ(status.ends, 1);
    if (GetParam().message.empty()) {
        EXPECT_TRUE(messages.shown.empty());
    } else {
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text, GetParam().message);
        EXPECT_EQ(messages.shown[0].caption, "RAM Load Error");
        EXPECT_EQ(messages.shown[0].icon, MessageIcon::Error);
        EXPECT_TRUE(messages.shown[0].ownedByPage);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, LoadRamFailures,
    ::testing::Values(FailureCase{"missing", "Unable to open specified file."},
                      FailureCase{"directory", "Unable to open specified file."},
                      FailureCase{"not a directory", "Unable to open specified file."},
                      FailureCase{"offset past end", "Error accessing input file"},
                      FailureCase{"offset past end, typed length", "Error accessing input file"},
                      FailureCase{"unknown device", "Unable to connect to target board"},
                      FailureCase{"write fails", ""}),
    [](const auto& test) {
        std::string name = test.param.name;
        for (char& c : name) {
            c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        }
        return name;
    });

// One box says what is wrong; no "Out of memory" follows it.
TEST_F(LoadRamTest, UnknownInterfaceIsOneBoxAndLeavesTheStatusAlone) {
    session.interfaceType = 7;
    MakeFile(TempPath("in.bin"), 10);
    LoadRequest request;
    request.fileName = TempPath("in.bin");
    LoadRamOperation(session, request, status, messages);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Invalid interface type selected");
    EXPECT_EQ(messages.shown[0].caption, "Internal Error");
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Error);
    EXPECT_FALSE(messages.shown[0].ownedByPage);
    EXPECT_TRUE(status.texts.empty());
    EXPECT_TRUE(trace.empty());
}

} // namespace
} // namespace tessary::testing
