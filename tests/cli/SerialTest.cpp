// --serial: the same commands against tessary-board on a pseudo-terminal.
#include "BoardProcess.h"
#include "CliFixture.h"

namespace tessary::test {
namespace {

class Serial : public CliTest {
  protected:
    BoardProcess board{{"--flash", "512k"}};
};

TEST_F(Serial, RamRoundTrip) {
    const std::vector<uint8_t> data = MakeFile("in.bin", 20000);
    const CliResult load =
        Cli({"--serial", board.Path(), "load-ram", Path("in.bin"), "--address", "0x300"});
    ASSERT_EQ(load.exitCode, 0) << load.err;
    EXPECT_EQ(load.out, "RAM load complete. Total bytes transferred: 20000\n");
    const CliResult store = Cli({"--serial", board.Path(), "store-ram", Path("out.bin"),
                                 "--address", "0x300", "--length", "20000"});
    ASSERT_EQ(store.exitCode, 0) << store.err;
    EXPECT_EQ(Read("out.bin"), data);
    EXPECT_TRUE(NoBoardOpened()); // the library's simulated boards were not used
}

TEST_F(Serial, FlashRoundTripWithEraseAndVerify) {
    const std::vector<uint8_t> data = MakeFile("in.bin", 10000);
    // Keeping the rest of both blocks would read 250K over the line; the in-process boards test
    // that.
    const CliResult load = Cli({"--serial", board.Path(), "load-flash", Path("in.bin"), "--address",
                                "0x1F000", "--no-preserve"});
    ASSERT_EQ(load.exitCode, 0) << load.err;
    EXPECT_NE(load.err.find("Erasing block: 2"), std::string::npos) << load.err;
    const CliResult store = Cli({"--serial", board.Path(), "store-flash", Path("out.bin"),
                                 "--address", "0x1F000", "--length", "10000"});
    ASSERT_EQ(store.exitCode, 0) << store.err;
    EXPECT_EQ(Read("out.bin"), data);
}

TEST_F(Serial, AnyBaudRateAndAForcedWindow) {
    BoardProcess fast({"--baud", "3000000", "--protocol", "basic"});
    const std::vector<uint8_t> data = MakeFile("in.bin", 5000);
    const CliResult load = Cli({"--serial", fast.Path(), "--baud", "3000000", "--window", "4",
                                "load-ram", Path("in.bin")});
    ASSERT_EQ(load.exitCode, 0) << load.err;
    const CliResult store = Cli({"--serial", fast.Path(), "--baud", "3000000", "store-ram",
                                 Path("out.bin"), "--length", "5000"});
    ASSERT_EQ(store.exitCode, 0) << store.err;
    EXPECT_EQ(Read("out.bin"), data);
}

TEST_F(Serial, BaudAndWindowBelongToASerialLine) {
    MakeFile("in.bin", 100);
    EXPECT_EQ(Cli({"--baud", "9600", "load-ram", Path("in.bin")}).exitCode, 2);
    EXPECT_EQ(
        Cli({"--serial", board.Path(), "--window", "33", "load-ram", Path("in.bin")}).exitCode, 2);
}

TEST_F(Serial, NetworkLineWithAPortOutsideTheRangeIsBadUsage) {
    MakeFile("in.bin", 100);
    for (const char* port : {"99999", "0"}) {
        const std::string line = std::string("tcp://127.0.0.1:") + port;
        const CliResult result = Cli({"--serial", line, "load-ram", Path("in.bin")});
        EXPECT_EQ(result.exitCode, 2) << line;
        EXPECT_NE(result.err.find("error: --serial: '" + line +
                                  "': the port must be a number from 1 to 65535"),
                  std::string::npos)
            << result.err;
    }
}

TEST_F(Serial, LineThatCannotBeOpenedIsOne) {
    MakeFile("in.bin", 100);
    const CliResult result = Cli({"--serial", Path("no-such-tty"), "load-ram", Path("in.bin")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "Unable to connect to target board\n");
    EXPECT_NE(result.err.find("error: Unable to connect to target board"), std::string::npos)
        << result.err;
}

} // namespace
} // namespace tessary::test
