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

// A board that computes checksums: a second load of the same file erases and programs nothing
// and --json counts the blocks that matched; --no-skip loads them all again.
TEST_F(Serial, FlashLoadSkipsTheBlocksThatAlreadyMatch) {
    MakeFile("in.bin", 10000); // blocks 4 and 5 (8K each) of the 512K chip
    const std::vector<std::string> load = {"--serial",     board.Path(), "load-flash",
                                           Path("in.bin"), "--address",  "0x78000"};
    const CliResult first = Cli(load);
    ASSERT_EQ(first.exitCode, 0) << first.err;
    EXPECT_EQ(first.out, "Flash Load complete. Total bytes transferred: 10000 (0 of 2 blocks "
                         "already matched)\n");
    std::vector<std::string> json = load;
    json.insert(json.begin(), "--json");
    const CliResult again = Cli(json);
    ASSERT_EQ(again.exitCode, 0) << again.err;
    EXPECT_NE(again.out.find("\"status\":\"Flash Load complete. Total bytes transferred: 0 (2 of "
                             "2 blocks already matched)\""),
              std::string::npos)
        << again.out;
    EXPECT_NE(again.out.find("\"matchedBlocks\":2,\"comparedBlocks\":2"), std::string::npos)
        << again.out;
    EXPECT_EQ(again.err.find("Erasing block"), std::string::npos) << again.err;
    std::vector<std::string> full = load;
    full.push_back("--no-skip");
    const CliResult forced = Cli(full);
    ASSERT_EQ(forced.exitCode, 0) << forced.err;
    EXPECT_EQ(forced.out, "Flash Load complete. Total bytes transferred: 10000\n");
    EXPECT_NE(forced.err.find("Erasing block: 6"), std::string::npos) << forced.err;
}

// A board whose checksums are wrong: the load fails (nothing is reported verified) unless
// --verify readback compares what it reads back; --no-verify and --verify exclude each other.
TEST_F(Serial, VerifyReadbackDoesNotAskTheBoardsChecksum) {
    if (!BoardProcess::HelpNames("wrong-crc")) {
        GTEST_SKIP() << "tessary-board has no --fault wrong-crc";
    }
    BoardProcess wrong({"--fault", "wrong-crc"});
    MakeFile("in.bin", 5000);
    const std::vector<std::string> load = {"--serial", wrong.Path(), "load-ram", Path("in.bin")};
    const CliResult checked = Cli(load);
    EXPECT_EQ(checked.exitCode, 1);
    EXPECT_EQ(checked.out, "Write verification failed.\n");
    EXPECT_NE(checked.err.find("the board's checksum disagrees with its own data"),
              std::string::npos)
        << checked.err;
    std::vector<std::string> readBack = load;
    readBack.insert(readBack.end(), {"--verify", "readback"});
    const CliResult read = Cli(readBack);
    EXPECT_EQ(read.exitCode, 0) << read.err;
    readBack.push_back("--no-verify");
    EXPECT_EQ(Cli(readBack).exitCode, 2);
}

// A chip that reports an erase done that it did not do: the block's checksum gives it away.
TEST_F(Serial, EraseTheChipIgnoredFailsNamingTheBlock) {
    if (!BoardProcess::HelpNames("ignore-erase")) {
        GTEST_SKIP() << "tessary-board has no --fault ignore-erase";
    }
    BoardProcess ignoring({"--fault", "ignore-erase", "--fault-at", "2"});
    MakeFile("in.bin", 100);
    ASSERT_EQ(Cli({"--serial", ignoring.Path(), "load-flash", Path("in.bin"), "--address",
                   "0x78000", "--no-preserve"})
                  .exitCode,
              0);
    const CliResult erase = Cli({"--serial", ignoring.Path(), "erase", "--blocks", "4"});
    EXPECT_EQ(erase.exitCode, 1);
    EXPECT_NE(erase.err.find("block 5 at 0x078000 still holds data after its erase"),
              std::string::npos)
        << erase.err;
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
