// '-' as the file: a load reads standard input, a store writes standard output and reports on
// stderr, so that the tool sits in a pipe between other tools.
#include "CliFixture.h"

#include <string>

namespace tessary::test {
namespace {

class StandardStreamsTest : public CliTest {
  protected:
    CliResult CliReading(const std::string& input, const std::vector<std::string>& arguments) {
        return RunCliWithInput(arguments, Environment(), Path(input));
    }
};

std::vector<uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

TEST_F(StandardStreamsTest, RamAndFlashRoundTripThroughThePipe) {
    const std::vector<uint8_t> data = MakeFile("in.bin", 70000);
    for (const std::string memory : {"ram", "flash"}) {
        const CliResult load = CliReading("in.bin", {"load-" + memory, "-", "--address", "0x100"});
        ASSERT_EQ(load.exitCode, 0) << memory << load.err;
        const CliResult store =
            Cli({"store-" + memory, "-", "--address", "0x100", "--length", "70000"});
        ASSERT_EQ(store.exitCode, 0) << memory << store.err;
        EXPECT_EQ(Bytes(store.out), data) << memory; // the data and nothing else
        EXPECT_NE(store.err.find("Total bytes transferred: 70000"), std::string::npos);
    }
}

TEST_F(StandardStreamsTest, AnImageOnStandardInputLoadsByItsRecordAddresses) {
    Write("in.hex", Bytes(":0400100001020304E2\n:00000001FF\n"));
    const CliResult load = CliReading("in.hex", {"load-ram", "-", "--format", "ihex"});
    ASSERT_EQ(load.exitCode, 0) << load.err;
    const CliResult store = Cli({"store-ram", "-", "--address", "0x10", "--length", "4"});
    ASSERT_EQ(store.exitCode, 0) << store.err;
    EXPECT_EQ(Bytes(store.out), (std::vector<uint8_t>{1, 2, 3, 4}));
}

TEST_F(StandardStreamsTest, MoreThanTheMemoryTakesIsRefusedBeforeTheBoard) {
    MakeFile("big.bin", 3 * 0x80000 + 8192);
    const CliResult load = CliReading("big.bin", {"load-flash", "-"});
    EXPECT_EQ(load.exitCode, 2);
    EXPECT_NE(load.err.find("Standard input holds more than"), std::string::npos) << load.err;
    EXPECT_TRUE(NoBoardOpened());
}

TEST_F(StandardStreamsTest, AFailedStoreWritesNothingToStandardOutput) {
    // The default Flash is 512K: the range runs past it and is refused; a range the board cannot
    // deliver (no such device) fails before any byte is written.
    const CliResult past = Cli({"store-flash", "-", "--address", "0x7FF00", "--length", "512"});
    EXPECT_NE(past.exitCode, 0);
    EXPECT_TRUE(past.out.empty());
    const CliResult missing = Cli({"--device", "NoSuch", "store-ram", "-", "--length", "16"});
    EXPECT_NE(missing.exitCode, 0);
    EXPECT_TRUE(missing.out.empty());
    const CliResult json = Cli({"--json", "store-ram", "-", "--length", "16"});
    ASSERT_EQ(json.exitCode, 0) << json.err;
    EXPECT_EQ(json.out.size(), 16u); // the report went to stderr
    EXPECT_NE(json.err.find("\"ok\":true"), std::string::npos) << json.err;
}

TEST_F(StandardStreamsTest, StandardOutputHasNoOffsetToOverwriteAt) {
    const CliResult store =
        Cli({"store-ram", "-", "--mode", "overwrite", "--offset", "4", "--length", "16"});
    EXPECT_EQ(store.exitCode, 2);
    EXPECT_TRUE(store.out.empty());
    EXPECT_NE(store.err.find("no offset to overwrite at"), std::string::npos) << store.err;
}

} // namespace
} // namespace tessary::test
