// A board carries its configuration: the config= and base= of a device's table entry are the
// defaults of a run, an explicit option wins, and a configuration that does not fit the board's
// Flash is refused before anything is erased or written.
#include "CliFixture.h"

#include <filesystem>

namespace tessary::test {
namespace {

class BoardSettings : public CliTest {
  protected:
    void SetUp() override {
        CliTest::SetUp();
        WriteTable("SimBoard sim default flash=512k\n"
                   "Big      sim flash=16m config=parvel16\n"
                   "Wide     sim flash=16m config=parvel16 base=0x40\n"
                   "Four     sim flash=4m\n");
    }
};

TEST_F(BoardSettings, DevicesShowsThem) {
    const CliResult result = Cli({"devices"});
    ASSERT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "SimBoard  (default)  sim  flash=512k\n"
                          "Big                  sim  flash=16m   config=parvel16\n"
                          "Wide                 sim  flash=16m   config=parvel16  base=0x40\n"
                          "Four                 sim  flash=4m\n");
}

TEST_F(BoardSettings, TheEntrysConfigurationIsTheDefault) {
    const std::vector<uint8_t> data = MakeFile("in.bin", 20000);
    const CliResult load =
        Cli({"--device", "Big", "load-flash", Path("in.bin"), "--address", "0x800000"});
    ASSERT_EQ(load.exitCode, 0) << load.err;
    const CliResult store = Cli({"--device", "Big", "store-flash", Path("out.bin"), "--address",
                                 "0x800000", "--length", "20000"});
    ASSERT_EQ(store.exitCode, 0) << store.err;
    EXPECT_EQ(Read("out.bin"), data);
}

TEST_F(BoardSettings, AnExplicitConfigurationWins) {
    MakeFile("in.bin", 100);
    const CliResult load = Cli({"--device", "Big", "--config", "q0", "load-flash", Path("in.bin"),
                                "--address", "0x800000"});
    EXPECT_EQ(load.exitCode, 2);
    EXPECT_NE(load.err.find("maximum Flash address is 0x80000"), std::string::npos) << load.err;
    EXPECT_TRUE(NoBoardOpened());
}

// The simulated board answers at 0x40 only: a run at base 0 would read nothing back.
TEST_F(BoardSettings, TheEntrysRegisterBaseIsTheDefaultAndAnOptionWins) {
    const std::vector<uint8_t> data = MakeFile("in.bin", 5000);
    const CliResult load = Cli({"--device", "Wide", "load-ram", Path("in.bin")});
    ASSERT_EQ(load.exitCode, 0) << load.err;
    const CliResult other =
        Cli({"--device", "Wide", "--register-base", "0", "load-ram", Path("in.bin")});
    EXPECT_EQ(other.exitCode, 1);
}

// The Flash limit of the configuration comes first, with its message, before the board is opened,
// for a typed length as for the rest of the file.
TEST_F(BoardSettings, ALoadPastTheConfigurationsFlashIsRefusedAsBefore) {
    MakeFile("in.bin", 600 * 1024);
    const CliResult typed = Cli({"--device", "Four", "--config", "q0", "load-flash", Path("in.bin"),
                                 "--length", "0x96000"});
    EXPECT_EQ(typed.exitCode, 2);
    const CliResult rest =
        Cli({"--device", "Four", "--config", "q0", "load-flash", Path("in.bin")});
    EXPECT_EQ(rest.exitCode, 2);
    for (const CliResult& result : {typed, rest}) {
        EXPECT_NE(result.err.find("maximum Flash address is 0x80000"), std::string::npos)
            << result.err;
        EXPECT_EQ(result.err.find("The board's Flash"), std::string::npos) << result.err;
    }
    EXPECT_TRUE(NoBoardOpened());
}

// parvel16 on a 4 MB chip: its block table reaches past the chip, where addresses wrap onto
// the chip's start. Nothing may be erased or programmed.
TEST_F(BoardSettings, AConfigurationBiggerThanTheBoardIsRefusedBeforeAnyErase) {
    const std::vector<uint8_t> kept = MakeFile("kept.bin", 4096, 7);
    ASSERT_EQ(
        Cli({"--device", "Four", "--config", "parvel4", "load-flash", Path("kept.bin")}).exitCode,
        0);
    MakeFile("in.bin", 4096, 8);
    for (const std::vector<std::string>& command :
         {std::vector<std::string>{"load-flash", Path("in.bin")}, std::vector<std::string>{"erase"},
          std::vector<std::string>{"store-flash", Path("out.bin"), "--length", "4096"}}) {
        std::vector<std::string> arguments = {"--device", "Four", "--config", "parvel16"};
        arguments.insert(arguments.end(), command.begin(), command.end());
        const CliResult refused = Cli(arguments);
        EXPECT_EQ(refused.exitCode, 1) << command[0];
        EXPECT_NE(refused.err.find("The board's Flash holds 4 MB, but the memory configuration "
                                   "Parvel (16MB Flash, 16MB RAM) has 16 MB"),
                  std::string::npos)
            << refused.err;
        EXPECT_EQ(refused.err.find("Erasing block"), std::string::npos) << refused.err;
    }
    EXPECT_FALSE(std::filesystem::exists(Path("out.bin")));
    ASSERT_EQ(Cli({"--device", "Four", "--config", "parvel4", "store-flash", Path("back.bin"),
                   "--length", "4096"})
                  .exitCode,
              0);
    EXPECT_EQ(Read("back.bin"), kept);
}

// Q0 on a 4 MB chip: the 8K and 16K blocks of its table are parts of one 128K block of the chip.
TEST_F(BoardSettings, AConfigurationSmallerThanTheBoardIsRefusedToo) {
    MakeFile("in.bin", 100);
    const CliResult refused = Cli({"--device", "Four", "load-flash", Path("in.bin")});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("The board's Flash holds 4 MB"), std::string::npos) << refused.err;
    // RAM is no concern of the Flash's size.
    EXPECT_EQ(Cli({"--device", "Four", "load-ram", Path("in.bin")}).exitCode, 0);
}

} // namespace
} // namespace tessary::test
