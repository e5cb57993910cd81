// tessary-cli against tessary-rtl-board whose Flash chip takes the time of a real part (10 us a
// byte, 0.5 s a 128K block, busy meanwhile and deaf to writes): a Flash load with verify, a store
// and an erase all go through the gateware's own Flash bus.
#include "BoardProcess.h"
#include "CliFixture.h"

#include <algorithm>

namespace tessary::test {
namespace {

class RtlCli : public CliTest {
  protected:
    BoardProcess board{TESSARY_RTL_BOARD_EXE,
                       {"--baud", "3000000", "--flash", "512k", "--program-us", "10", "--erase-ms",
                        "500", "--time-scale", "1"}};

    CliResult Run(std::vector<std::string> arguments) const {
        arguments.insert(arguments.begin(), {"--serial", board.Path(), "--baud", "3000000"});
        return Cli(arguments);
    }
};

TEST_F(RtlCli, FlashLoadStoreAndEraseOnAChipOfRealTiming) {
    // Block 4 of the 512K table: 8K at 0x78000; block 3 before it holds 96K.
    const std::vector<uint8_t> data = MakeFile("in.bin", 6000);
    const CliResult load = Run({"load-flash", Path("in.bin"), "--address", "0x78000"});
    ASSERT_EQ(load.exitCode, 0) << load.err;
    EXPECT_NE(load.err.find("Erasing block: 5"), std::string::npos) << load.err;
    const CliResult store =
        Run({"store-flash", Path("out.bin"), "--address", "0x78000", "--length", "6000"});
    ASSERT_EQ(store.exitCode, 0) << store.err;
    EXPECT_EQ(Read("out.bin"), data);

    const CliResult erase = Run({"erase", "--blocks", "3-4"});
    ASSERT_EQ(erase.exitCode, 0) << erase.err;
    EXPECT_EQ(erase.out, "Erase Complete\n");
    const CliResult after =
        Run({"store-flash", Path("erased.bin"), "--address", "0x78000", "--length", "6000"});
    ASSERT_EQ(after.exitCode, 0) << after.err;
    const std::vector<uint8_t> erased = Read("erased.bin");
    EXPECT_EQ(erased.size(), 6000u);
    EXPECT_TRUE(std::all_of(erased.begin(), erased.end(), [](uint8_t b) { return b == 0xFF; }));
}

} // namespace
} // namespace tessary::test
