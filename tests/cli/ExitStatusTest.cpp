// Exit status 1 for an operation that failed on the board or with its file, 2 for bad usage and
// invalid input (with the forms' own messages, before any board is opened).
#include "CliFixture.h"

#include <nlohmann/json.hpp>

#include <filesystem>

namespace tessary::test {
namespace {

using ExitStatus = CliTest;

TEST_F(ExitStatus, RamVerifyFailureIsOne) {
    WriteTable("Flaky sim default flip-byte=100\n");
    MakeFile("in.bin", 20000);
    const CliResult result = Cli({"load-ram", Path("in.bin")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "Write verification failed.\n");
    EXPECT_NE(result.err.find("error: Write verification failed.\n"), std::string::npos)
        << result.err;
}

TEST_F(ExitStatus, FlashVerifyFailureIsOne) {
    WriteTable("Flaky sim default flip-byte=100\n");
    MakeFile("in.bin", 20000);
    // without keeping the rest of the block, the first bytes read back are the verify's
    const CliResult result = Cli({"load-flash", Path("in.bin"), "--no-preserve"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "Write verification failed.\n");
    EXPECT_NE(result.err.find("error: Write verification failed.\n"), std::string::npos)
        << result.err;
}

// The same faulty read-back goes unnoticed when nothing is read back.
TEST_F(ExitStatus, NoVerifySkipsTheReadBack) {
    WriteTable("Flaky sim default flip-byte=100\n");
    MakeFile("in.bin", 20000);
    const CliResult result = Cli({"load-ram", Path("in.bin"), "--no-verify"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
}

TEST_F(ExitStatus, BoardThatDoesNotAnswerIsOneAndLeavesNoFile) {
    WriteTable("Dead sim default fail-access=1\n");
    const CliResult result = Cli({"store-ram", Path("out.bin"), "--length", "100"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "Unable to connect to target board\n");
    EXPECT_EQ(result.err, "error: Unable to connect to target board (RAM Store Error)\n"
                          "  cause: board 'Dead': the device library's error 7 (the board did "
                          "not complete the register access)\n");
    EXPECT_FALSE(std::filesystem::exists(Path("out.bin")));
}

TEST_F(ExitStatus, MissingInputFileIsOne) {
    const CliResult result = Cli({"load-ram", Path("missing.bin")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "Unable to open specified file.\n");
    EXPECT_EQ(result.err, "error: Unable to open specified file. (RAM Load Error)\n"
                          "  cause: cannot open \"" +
                              Path("missing.bin") + "\": No such file or directory\n");
}

TEST_F(ExitStatus, RegisterBaseMustMatchTheBoard) {
    WriteTable("High sim default base=0x40\n");
    MakeFile("in.bin", 100);
    EXPECT_EQ(Cli({"--register-base", "0", "load-ram", Path("in.bin")}).exitCode, 1);
    const CliResult result = Cli({"--register-base", "0x40", "load-ram", Path("in.bin")});
    EXPECT_EQ(result.exitCode, 0) << result.err;
}

TEST_F(ExitStatus, EveryNumberNotationOfTheFormsIsAccepted) {
    const std::vector<uint8_t> data = MakeFile("in.bin", 2000);
    ASSERT_EQ(Cli({"load-ram", Path("in.bin"), "--address", "0X10", "--length", "1 024"}).exitCode,
              0);
    const CliResult store =
        Cli({"store-ram", Path("out.bin"), "--address", "00010000", "--length", "0x400"});
    ASSERT_EQ(store.exitCode, 0) << store.err;
    EXPECT_EQ(Read("out.bin"), std::vector<uint8_t>(data.begin(), data.begin() + 1024));
}

// One failure and the outcome it leaves: stdout's last line and --json's status are the
// failure's message, never a progress text or nothing.
struct FailureCase {
    const char* name;
    const char* table;
    std::vector<std::string> arguments; // FILE, DIR and OUT stand for a file, a folder, a new file
    const char* outcome;
};

void PrintTo(const FailureCase& c, std::ostream* out) {
    *out << c.name;
}

class FinalLine : public CliTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(FinalLine, IsTheFailuresMessage) {
    const FailureCase& c = GetParam();
    WriteTable(c.table);
    MakeFile("in.bin", 20000);
    std::filesystem::create_directory(Path("folder"));
    std::vector<std::string> arguments;
    for (const std::string& word : c.arguments) {
        arguments.push_back(word == "FILE"  ? Path("in.bin")
                            : word == "DIR" ? Path("folder")
                            : word == "OUT" ? Path("out.bin")
                                            : word);
    }
    const CliResult result = Cli(arguments);
    EXPECT_EQ(result.exitCode, 1) << result.err;
    ASSERT_FALSE(Lines(result.out).empty()) << result.err;
    EXPECT_EQ(Lines(result.out).back(), c.outcome) << result.err;

    arguments.insert(arguments.begin(), "--json");
    const nlohmann::json json = nlohmann::json::parse(Cli(arguments).out);
    EXPECT_EQ(json["status"], c.outcome);
    ASSERT_FALSE(json["messages"].empty());
    EXPECT_EQ(json["messages"].back()["text"], c.outcome);
}

INSTANTIATE_TEST_SUITE_P(Failures, FinalLine,
                         ::testing::Values(FailureCase{"EraseWithoutConnection",
                                                       "Dead sim default fail-access=1\n",
                                                       {"erase"},
                                                       "Flash memory error."},
                                           FailureCase{
                                               "EraseNeverReady",
                                               "Stuck sim default never-ready=1\n",
                                               {"erase", "--blocks", "0"},
                                               "Error communicating with the memory controller."},
                                           FailureCase{"EraseOfALockedBlock",
                                                       "Stubborn sim default locked=2\n",
                                                       {"erase"},
                                                       "Flash memory error."},
                                           FailureCase{"StoreWithoutConnection",
                                                       "Dead sim default fail-access=1\n",
                                                       {"store-ram", "OUT", "--length", "100"},
                                                       "Unable to connect to target board"},
                                           FailureCase{"StoreToAFolder",
                                                       "SimBoard sim default\n",
                                                       {"store-flash", "DIR", "--length", "100"},
                                                       "Unable to open specified file."},
                                           FailureCase{"LoadOfAMissingFile",
                                                       "SimBoard sim default\n",
                                                       {"load-flash", "OUT"},
                                                       "Unable to open specified file."},
                                           FailureCase{"LoadThatDoesNotVerify",
                                                       "Flaky sim default flip-byte=100\n",
                                                       {"load-ram", "FILE"},
                                                       "Write verification failed."}),
                         [](const auto& test) { return std::string(test.param.name); });

struct BadInput {
    std::vector<std::string> arguments; // "FILE" stands for an existing file
    std::string err;
};

class InvalidInput : public CliTest, public ::testing::WithParamInterface<BadInput> {};

TEST_P(InvalidInput, IsTwoWithTheFormsMessageAndOpensNoBoard) {
    MakeFile("in.bin", 100);
    std::vector<std::string> arguments;
    for (const std::string& word : GetParam().arguments) {
        arguments.push_back(word == "FILE" ? Path("in.bin") : word);
    }
    const CliResult result = Cli(arguments);
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.err, GetParam().err);
    EXPECT_EQ(result.out, "");
    EXPECT_TRUE(NoBoardOpened());
}

INSTANTIATE_TEST_SUITE_P(
    FormsAndOptions, InvalidInput,
    ::testing::Values(
        BadInput{{"load-ram", "FILE", "--address", "zz"},
                 "error: Invalid --address 'zz': it is not a number.\n"},
        BadInput{{"load-ram", "FILE", "--offset", "0x"},
                 "error: Invalid --offset '0x': it is not a number.\n"},
        BadInput{{"load-ram", "FILE", "--length", "12abc"},
                 "error: Invalid --length '12abc': it is not a number.\n"},
        BadInput{{"load-ram", ""}, "error: No file name entered.\n"},
        BadInput{{"load-flash", "FILE", "--address", "1a234567"},
                 "error: Invalid --address '1a234567': it is not a number.\n"},
        BadInput{{"load-flash", "FILE", "--address", "0x70000", "--length", "0x10001"},
                 "error: Invalid Flash address:  maximum Flash address is 0x80000. (Flash Load "
                 "Error)\n"},
        BadInput{{"--config", "parvel4", "load-flash", "FILE", "--address", "0x3F0000", "--length",
                  "0x10001"},
                 "error: Invalid Flash address:  maximum Flash address is 0x400000. (Flash Load "
                 "Error)\n"},
        BadInput{{"store-ram", "FILE", "--length", "abc"},
                 "error: Invalid --length 'abc': it is not a number.\n"},
        BadInput{{"store-ram", "FILE", "--length", ""},
                 "error: Invalid --length '': it is empty.\n"},
        BadInput{{"store-ram", "FILE", "--length", "4", "--address", "0xG"},
                 "error: Invalid --address '0xG': it is not a number.\n"},
        BadInput{{"store-flash", "FILE", "--length", "4", "--mode", "overwrite", "--offset", "-1"},
                 "error: Invalid --offset '-1': it is negative.\n"},
        BadInput{{"store-flash", "", "--length", "4"},
                 "error: No file name specified. (Flash Store Error)\n"},
        // The window's field would cut the name to 259 characters: another file.
        BadInput{{"store-ram", std::string(260, 'f'), "--length", "4"},
                 "error: The file name is longer than 259 characters.\n"},
        BadInput{{"--register-base", "0x04", "load-ram", "FILE"},
                 "error: Invalid --register-base '0x04': the memory controller's first register "
                 "is 0x00 to 0xF8, a multiple of 8.\n"},
        BadInput{{"--register-base", "0x100", "erase"},
                 "error: Invalid --register-base '0x100': the memory controller's first register "
                 "is 0x00 to 0xF8, a multiple of 8.\n"},
        BadInput{{"erase", "--register-base", "0xff"},
                 "error: Invalid --register-base '0xff': the memory controller's first register "
                 "is 0x00 to 0xF8, a multiple of 8.\n"},
        BadInput{{"--serial", "", "probe"},
                 "error: --serial: the serial line's name is empty\n"
                 "Run 'tessary-cli --help' for the usage.\n"},
        BadInput{{"erase", "--blocks", "7"},
                 "error: Block 7 is not in the Q0 (512K Flash, 128K RAM) configuration, whose "
                 "blocks are 0 to 6.\n"},
        BadInput{{"erase", "--blocks", "1,,2"},
                 "error: Invalid block list '1,,2': give block indexes such as 0,3-5.\n"},
        BadInput{{"--device", "Nope", "load-ram", "FILE"},
                 "error: No device named 'Nope' in the device table; 'tessary-cli devices' "
                 "lists them.\n"}));

class BadUsage : public CliTest, public ::testing::WithParamInterface<std::vector<std::string>> {};

TEST_P(BadUsage, IsTwoWithAnErrorLine) {
    MakeFile("in.bin", 100);
    std::vector<std::string> arguments;
    for (const std::string& word : GetParam()) {
        arguments.push_back(word == "FILE" ? Path("in.bin") : word);
    }
    const CliResult result = Cli(arguments);
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_TRUE(result.err.starts_with("error: ")) << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_TRUE(NoBoardOpened());
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, BadUsage,
    ::testing::Values(std::vector<std::string>{}, std::vector<std::string>{"load-ram"},
                      std::vector<std::string>{"load-ram", "FILE", "--bogus"},
                      std::vector<std::string>{"store-ram", "FILE"},
                      std::vector<std::string>{"store-ram", "FILE", "--length", "4", "--mode",
                                               "insert"},
                      std::vector<std::string>{"--config", "q9", "load-ram", "FILE"},
                      std::vector<std::string>{"--device", "SimBoard", "--serial", "/dev/null",
                                               "load-ram", "FILE"},
                      std::vector<std::string>{"unknown-command"},
                      std::vector<std::string>{"help", "lod-ram"}));

} // namespace
} // namespace tessary::test
