// Ctrl-C and the other ending signals cancel the operation: exit status 130, "Operation
// cancelled." on stderr, the target file untouched and no temporary file beside it.
#include "CliFixture.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

namespace tessary::test {
namespace {

// Slow moves 2 MB a second, so a 1 MB transfer lasts half a second and prints a line per tenth.
// Slower takes over a second to save the 124K that a Flash load keeps of a block.
constexpr const char* kSlowTable = "SimBoard sim default flash=512k\n"
                                   "Slow sim flash=512k speed=2000000\n"
                                   "Slower sim flash=512k speed=200000\n";

// Sends the signal once the progress lines have reached 20 %.
CliWatcher SignalAtOneFifth(int signal, bool& sent) {
    return [signal, &sent](pid_t pid, const std::string& err) {
        if (!sent && err.find(" 20%") != std::string::npos) {
            sent = true;
            kill(pid, signal);
        }
    };
}

class CancelTest : public CliTest {
  protected:
    void SetUp() override {
        CliTest::SetUp();
        WriteTable(kSlowTable);
    }
};

class CancelledStore : public CancelTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(CancelledStore, ExitsWith130AndLeavesTheFileAsItWas) {
    const auto old = MakeFile("target.bin", 5000, 3);
    const auto before = Entries();
    bool sent = false;
    std::vector<std::string> arguments = {
        "--device",         "Slow",     "--config", "parvel16", "store-ram",
        Path("target.bin"), "--length", "0x100000", "--mode",   GetParam()};
    if (std::string(GetParam()) == "overwrite") {
        arguments.insert(arguments.end(), {"--offset", "100"});
    }
    const CliResult result = Cli(arguments, SignalAtOneFifth(SIGINT, sent));
    ASSERT_TRUE(sent) << result.err;
    EXPECT_EQ(result.exitCode, 130) << result.err;
    EXPECT_NE(result.err.find("Operation cancelled."), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find("100%"), std::string::npos) << "the store ran to its end";
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(Read("target.bin"), old);
    EXPECT_EQ(Entries(), before);
}

INSTANTIATE_TEST_SUITE_P(Modes, CancelledStore,
                         ::testing::Values("append", "replace", "overwrite"));

struct SignalCase {
    const char* name;
    int signal;
};

class CancellingSignal : public CancelTest, public ::testing::WithParamInterface<SignalCase> {};

TEST_P(CancellingSignal, CancelsALoadThatThenSaysHowFarItGot) {
    MakeFile("in.bin", 0x100000);
    bool sent = false;
    const CliResult result = Cli({"--json", "--device", "Slow", "--config", "parvel16", "load-ram",
                                  Path("in.bin"), "--no-verify"},
                                 SignalAtOneFifth(GetParam().signal, sent));
    ASSERT_TRUE(sent) << result.err;
    EXPECT_EQ(result.exitCode, 130) << result.err;
    EXPECT_NE(result.err.find("Operation cancelled. "), std::string::npos) << result.err;
    EXPECT_NE(result.err.find(" of 1048576 bytes loaded."), std::string::npos) << result.err;
    const auto json = nlohmann::json::parse(result.out);
    EXPECT_EQ(json["exitCode"], 130);
    EXPECT_EQ(json["cancelled"], true);
    EXPECT_EQ(json["ok"], false);
    const std::string status = json["status"];
    EXPECT_TRUE(status.starts_with("Operation cancelled. ")) << status;
    EXPECT_LT(json["bytes"].get<int64_t>(), 0x100000);
}

INSTANTIATE_TEST_SUITE_P(Signals, CancellingSignal,
                         ::testing::Values(SignalCase{"Interrupt", SIGINT},
                                           SignalCase{"Terminate", SIGTERM},
                                           SignalCase{"HangUp", SIGHUP},
                                           SignalCase{"Quit", SIGQUIT}),
                         [](const auto& tested) { return std::string(tested.param.name); });

// A blank check stops at the next block: the blocks checked before stay listed, no total is
// claimed.
TEST_F(CancelTest, CancelsABlankCheckThatKeepsTheBlocksItChecked) {
    bool sent = false;
    const CliResult result =
        Cli({"--device", "Slow", "blank-check"}, [&sent](pid_t pid, const std::string& err) {
            if (!sent && err.find("2/7 blocks") != std::string::npos) {
                sent = true;
                kill(pid, SIGINT);
            }
        });
    ASSERT_TRUE(sent) << result.err;
    EXPECT_EQ(result.exitCode, 130) << result.err;
    EXPECT_NE(result.err.find("Operation cancelled."), std::string::npos) << result.err;
    EXPECT_EQ(result.out.find("Blank check complete"), std::string::npos) << result.out;
    EXPECT_EQ(result.out.rfind("block 0 at 0x000000: erased\nblock 1 at 0x020000: erased\n", 0), 0u)
        << result.out;
    EXPECT_EQ(result.out.find("block 6 "), std::string::npos) << "the check ran to its end";
}

// 8K across the border of blocks 1 and 2 keeps 124K of each. Ctrl-C once block 1 is saved
// stops the load while block 2 is: nothing has been erased, the Flash is as it was.
TEST_F(CancelTest, CancelWhileAFlashLoadSavesItsBlocksLeavesTheFlashAsItWas) {
    const auto old = MakeFile("data/Slower.flash", 0x80000, 4);
    MakeFile("fw.bin", 0x2000);
    bool sent = false;
    const CliResult result =
        Cli({"--device", "Slower", "load-flash", Path("fw.bin"), "--address", "0x1F000"},
            [&sent](pid_t pid, const std::string& err) {
                if (!sent && err.find("Saving block: 1") != std::string::npos) {
                    sent = true;
                    kill(pid, SIGINT);
                }
            });
    ASSERT_TRUE(sent) << result.err;
    EXPECT_EQ(result.exitCode, 130) << result.err;
    EXPECT_NE(result.err.find("Operation cancelled. 0 of 8192 bytes loaded.\n"), std::string::npos)
        << result.err;
    EXPECT_EQ(result.err.find("Erasing"), std::string::npos) << result.err;
    EXPECT_EQ(Read("data/Slower.flash"), old);
}

TEST_F(CancelTest, AFinishedRunIsNotCancelled) {
    MakeFile("in.bin", 4096);
    const CliResult result = Cli({"--json", "load-ram", Path("in.bin")});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(nlohmann::json::parse(result.out)["cancelled"], false);
}

} // namespace
} // namespace tessary::test
