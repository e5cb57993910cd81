// What cannot be right is refused before any board is opened, with exit status 2: negative or
// empty numbers, ranges past the memory, numbers with trailing text or beyond 32 bits, slices a
// file does not hold.
#include "CliFixture.h"

namespace tessary::test {
namespace {

using Refusal = CliTest;

struct Refused {
    std::vector<std::string> arguments;
    std::string message;
};

class RefusedBeforeTheBoard : public CliTest, public ::testing::WithParamInterface<Refused> {};

TEST_P(RefusedBeforeTheBoard, ExitsTwoAndLeavesTheFileAlone) {
    const std::vector<uint8_t> old = MakeFile("f.bin", 300);
    std::vector<std::string> arguments = GetParam().arguments;
    arguments.insert(arguments.begin() + 1, Path("f.bin"));
    const CliResult result = Cli(arguments);
    EXPECT_EQ(result.exitCode, 2) << result.out;
    EXPECT_EQ(result.err, "error: " + GetParam().message + "\n");
    EXPECT_EQ(Read("f.bin"), old);
    EXPECT_TRUE(NoBoardOpened());
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, RefusedBeforeTheBoard,
    ::testing::Values(
        Refused{{"store-ram", "--length", "-5"}, "Invalid --length '-5': it is negative."},
        Refused{{"store-flash", "--length", "-5"}, "Invalid --length '-5': it is negative."},
        Refused{{"store-ram", "--length", "16", "--address", "-16"},
                "Invalid --address '-16': it is negative."},
        Refused{{"store-ram", "--length", "16", "--mode", "overwrite", "--offset", "-1"},
                "Invalid --offset '-1': it is negative."},
        Refused{{"load-ram", "--offset", "-100"}, "Invalid --offset '-100': it is negative."},
        Refused{{"store-ram", "--length", "99999999999"},
                "Invalid --length '99999999999': it is larger than 2147483647."},
        Refused{{"store-ram", "--length", "0x100000000"},
                "Invalid --length '0x100000000': it is larger than 2147483647."},
        Refused{{"store-ram", "--length", "12abc"},
                "Invalid --length '12abc': it is not a number."},
        Refused{{"load-ram", "--address", "0x10 zz"},
                "Invalid --address '0x10 zz': it is not a number."},
        Refused{{"store-ram", "--length", "0b102"},
                "Invalid --length '0b102': it is not a number."},
        Refused{{"store-ram", "--length", "0x"}, "Invalid --length '0x': it is not a number."},
        // An unset variable in a script is no default.
        Refused{{"load-ram", "--address", ""}, "Invalid --address '': it is empty."},
        Refused{{"load-flash", "--offset", ""}, "Invalid --offset '': it is empty."},
        Refused{{"load-flash", "--length", ""}, "Invalid --length '': it is empty."}));

INSTANTIATE_TEST_SUITE_P(
    Ranges, RefusedBeforeTheBoard,
    ::testing::Values(
        // Past the module's RAM its address wraps: the range would read (or overwrite) its start.
        Refused{{"store-ram", "--length", "0x2000000"},
                "Invalid RAM address:  the RAM of Q0 (512K Flash, 128K RAM) holds 128K (up to "
                "0x20000); the range ends at 0x2000000. (RAM Store Error)"},
        Refused{{"store-ram", "--address", "0x1FF00", "--length", "0x101"},
                "Invalid RAM address:  the RAM of Q0 (512K Flash, 128K RAM) holds 128K (up to "
                "0x20000); the range ends at 0x20001. (RAM Store Error)"},
        Refused{{"load-ram", "--length", "0x20001"},
                "Invalid RAM address:  the RAM of Q0 (512K Flash, 128K RAM) holds 128K (up to "
                "0x20000); the range ends at 0x20001. (RAM Load Error)"},
        Refused{{"load-ram", "--address", "0xFFFF00", "--length", "0x101"},
                "Invalid RAM address:  the RAM address space ends at 0x1000000."},
        // 1 MB from a 512K chip would read it twice.
        Refused{{"store-flash", "--length", "0x100000"},
                "Invalid Flash address:  maximum Flash address is 0x80000. (Flash Store Error)"},
        Refused{{"store-flash", "--address", "0x7FFFF", "--length", "2"},
                "Invalid Flash address:  maximum Flash address is 0x80000. (Flash Store Error)"}));

// What fits exactly is stored; binary takes 0b.
TEST_F(Refusal, RangesThatEndAtTheMemorysEndAreStored) {
    EXPECT_EQ(
        Cli({"store-ram", Path("r.bin"), "--address", "0x1FFF8", "--length", "0b1000"}).exitCode,
        0);
    EXPECT_EQ(Read("r.bin").size(), 8u);
    EXPECT_EQ(Cli({"--device", "Sim16M", "--config", "parvel16", "store-ram", Path("p.bin"),
                   "--address", "0xFFFFF8", "--length", "8"})
                  .exitCode,
              0);
    EXPECT_EQ(Read("p.bin").size(), 8u);
    EXPECT_EQ(
        Cli({"store-flash", Path("f.bin"), "--address", "0x7FFF0", "--length", "16"}).exitCode, 0);
    EXPECT_EQ(Read("f.bin").size(), 16u);
}

// A file of 20 MB runs past the RAM of the largest module: it is refused once its size is known,
// before the board is opened, instead of wrapping its tail round to address 0.
TEST_F(Refusal, LoadOfAFileLargerThanTheRamIsRefused) {
    MakeFile("big.bin", 20 << 20);
    const CliResult result =
        Cli({"--device", "Sim16M", "--config", "parvel16", "load-ram", Path("big.bin")});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.out, "Invalid RAM address:  the RAM of Parvel (16MB Flash, 16MB RAM) holds "
                          "16MB (up to 0x1000000); the range ends at 0x1400000.\n");
    EXPECT_EQ(result.err, "error: Invalid RAM address:  the RAM of Parvel (16MB Flash, 16MB RAM) "
                          "holds 16MB (up to 0x1000000); the range ends at 0x1400000. (RAM Load "
                          "Error)\n");
    EXPECT_TRUE(NoBoardOpened());
}

// A slice the file does not hold is refused before the board is opened, naming the file: never
// an erase, never a board failure.
TEST_F(Refusal, SliceTheFileDoesNotHoldIsRefused) {
    MakeFile("fw.bin", 20000);
    const std::string name = "'" + Path("fw.bin") + "'";
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"load-flash", Path("fw.bin"), "--offset", "10000", "--length", "20000", "--address",
          "0x1000"},
         name + " holds 20000 bytes, fewer than the 30000 that the file offset 10000 and the "
                "length 20000 need; nothing was written to the board."},
        {{"load-ram", Path("fw.bin"), "--offset", "20001"},
         "The file offset 20001 lies past the end of " + name +
             ", which holds 20000 bytes; nothing was written to the board."}};
    for (const auto& [arguments, problem] : cases) {
        const CliResult result = Cli(arguments);
        EXPECT_EQ(result.exitCode, 2) << problem;
        EXPECT_EQ(result.err, "error: " + problem + "\n");
    }
    EXPECT_TRUE(NoBoardOpened());
}

TEST_F(Refusal, RegisterBaseIsStrictToo) {
    for (const char* base : {"0x08junk", "-8", "4294967304"}) {
        const CliResult result =
            Cli({"--register-base", base, "store-ram", Path("r.bin"), "--length", "1"});
        EXPECT_EQ(result.exitCode, 2) << base;
    }
}

} // namespace
} // namespace tessary::test
