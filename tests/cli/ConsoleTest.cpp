// What a person or a CI log sees: help, the device list, progress lines and --quiet.
#include "CliFixture.h"

namespace tessary::test {
namespace {

using Console = CliTest;

TEST_F(Console, HelpListsEveryCommand) {
    const CliResult result = Cli({"--help"});
    EXPECT_EQ(result.exitCode, 0);
    for (const char* command :
         {"devices", "load-ram", "store-ram", "load-flash", "store-flash", "erase"}) {
        EXPECT_NE(result.out.find(command), std::string::npos) << command;
    }
    EXPECT_NE(result.out.find("--register-base"), std::string::npos);
    // the help command shows the same
    const CliResult command = Cli({"help"});
    EXPECT_EQ(command.exitCode, 0) << command.err;
    EXPECT_EQ(command.out, result.out);
}

struct CommandHelp {
    const char* command;
    std::vector<const char*> options;
};

class SubcommandHelp : public CliTest, public ::testing::WithParamInterface<CommandHelp> {};

TEST_P(SubcommandHelp, ListsTheCommandsOptions) {
    const CliResult result = Cli({GetParam().command, "--help"});
    EXPECT_EQ(result.exitCode, 0);
    for (const char* option : GetParam().options) {
        EXPECT_NE(result.out.find(option), std::string::npos) << option;
    }
    // 'help COMMAND' shows the same
    const CliResult command = Cli({"help", GetParam().command});
    EXPECT_EQ(command.exitCode, 0) << command.err;
    EXPECT_EQ(command.out, result.out);
    EXPECT_TRUE(NoBoardOpened());
}

INSTANTIATE_TEST_SUITE_P(
    EveryCommand, SubcommandHelp,
    ::testing::Values(
        CommandHelp{"devices", {}},
        CommandHelp{"load-ram", {"FILE", "--address", "--offset", "--length", "--no-verify"}},
        CommandHelp{"store-ram", {"FILE", "--address", "--length", "--mode", "--offset"}},
        CommandHelp{"load-flash", {"--no-erase", "--no-verify", "--length"}},
        CommandHelp{"store-flash", {"--mode", "--offset", "--length"}},
        CommandHelp{"erase", {"--blocks"}}),
    [](const auto& param) {
        std::string name = param.param.command;
        std::erase(name, '-');
        return name;
    });

TEST_F(Console, DevicesMarksTheDefault) {
    const CliResult result = Cli({"devices"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "SimBoard  (default)  sim  flash=512k\n"
                          "Sim1M                sim  flash=1m\n"
                          "Sim4M                sim  flash=4m\n"
                          "Sim16M               sim  flash=16m\n");
}

TEST_F(Console, WithoutADefaultDeviceOneMustBeNamed) {
    WriteTable("Left sim\nRight sim\n");
    MakeFile("in.bin", 100);
    EXPECT_EQ(Cli({"devices"}).out, "Left   sim  flash=512k\nRight  sim  flash=512k\n");
    const CliResult unnamed = Cli({"load-ram", Path("in.bin")});
    EXPECT_EQ(unnamed.exitCode, 2);
    EXPECT_EQ(unnamed.err,
              "error: The device table marks no default device; choose one with --device.\n");
    EXPECT_EQ(Cli({"--device", "Right", "load-ram", Path("in.bin")}).exitCode, 0);
}

// Without a terminal a 256-block transfer is reported in about ten lines, not one per block.
TEST_F(Console, ProgressLinesAreFewInALog) {
    const CliResult result =
        Cli({"--config", "parvel16", "store-ram", Path("out.bin"), "--length", "0x200000"});
    ASSERT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "Ram Store complete. Total bytes transferred: 2097152\n");
    const std::vector<std::string> lines = Lines(result.err);
    EXPECT_GE(lines.size(), 5u);
    EXPECT_LE(lines.size(), 12u);
    for (const std::string& line : lines) {
        EXPECT_TRUE(line.starts_with("Reading block: ")) << line;
    }
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(lines.back().starts_with("Reading block: 256  100%  2097152/2097152 bytes"))
        << lines.back();
    EXPECT_EQ(result.err.find('\r'), std::string::npos);
}

TEST_F(Console, QuietPrintsOnlyTheOutcome) {
    MakeFile("in.bin", 30000);
    const CliResult result = Cli({"--quiet", "load-flash", Path("in.bin")});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, "Flash Load complete. Total bytes transferred: 30000\n");
}

} // namespace
} // namespace tessary::test
