// One user of a simulated board at a time: a board whose memories another process holds is busy,
// at once, and two loads never mix their data in one RAM.
#include "BoardProcess.h"
#include "CliFixture.h"

#include <future>

namespace tessary::test {
namespace {

using OneUser = CliTest;

TEST_F(OneUser, BoardHeldByAnotherProcessIsBusyAndNamesIt) {
    BoardProcess board({"--images", Path("data"), "--name", "SimBoard"});
    MakeFile("in.bin", 1000);
    const CliResult result = Cli({"load-ram", Path("in.bin")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("busy: "), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("SimBoard.ram is in use by process "), std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find("error: Unable to connect to target board"), std::string::npos);

    board.Stop(SIGTERM);
    EXPECT_EQ(Cli({"load-ram", Path("in.bin")}).exitCode, 0);
}

// Each run either has the board to itself or is turned away: the RAM ends up holding one of the
// two files whole, never a mixture of both.
TEST_F(OneUser, ConcurrentLoadsNeverMixTheirData) {
    WriteTable("Ram1M sim default config=q2\n");
    const std::vector<uint8_t> first = MakeFile("a.bin", 1 << 20, 1);
    const std::vector<uint8_t> second = MakeFile("b.bin", 1 << 20, 2);
    auto a = std::async(std::launch::async, [&] { return Cli({"load-ram", Path("a.bin")}); });
    auto b = std::async(std::launch::async, [&] { return Cli({"load-ram", Path("b.bin")}); });
    const CliResult ra = a.get();
    const CliResult rb = b.get();
    for (const CliResult* result : {&ra, &rb}) {
        if (result->exitCode != 0) {
            EXPECT_EQ(result->exitCode, 1);
            EXPECT_NE(result->err.find("busy"), std::string::npos) << result->err;
        }
    }
    ASSERT_TRUE(ra.exitCode == 0 || rb.exitCode == 0);
    ASSERT_EQ(Cli({"store-ram", Path("back.bin"), "--length", "0x100000"}).exitCode, 0);
    const std::vector<uint8_t> back = Read("back.bin");
    EXPECT_TRUE((ra.exitCode == 0 && back == first) || (rb.exitCode == 0 && back == second));
}

} // namespace
} // namespace tessary::test
