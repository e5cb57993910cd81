// What cannot be right is refused before any board is opened, with exit status 2: negative
// numbers, ranges past the memory, numbers with trailing text or beyond 32 bits.
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
        Refused{{"store-ram", "--length", "0x"}, "Invalid --length '0x': it is not a number."}));

INSTANTIATE_TEST_SUITE_P(
    Ranges, RefusedBeforeTheBoard,
    ::testing::Values(
        // 32 MB of RAM would read the 16 MB address space twice.
        Refused{{"store-ram", "--length", "0x2000000"},
                "Invalid RAM address:  the RAM address space ends at 0x1000000. (RAM Store Error)"},
        Refused{{"store-ram", "--address", "0xFFFF00", "--length", "0x101"},
                "Invalid RAM address:  the RAM address space ends at 0x1000000. (RAM Store Error)"},
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
        Cli({"store-ram", Path("r.bin"), "--address", "0xFFFFF8", "--length", "0b1000"}).exitCode,
        0);
    EXPECT_EQ(Read("r.bin").size(), 8u);
    EXPECT_EQ(
        Cli({"store-flash", Path("f.bin"), "--address", "0x7FFF0", "--length", "16"}).exitCode, 0);
    EXPECT_EQ(Read("f.bin").size(), 16u);
}

// A file of 20 MB runs past the address space: it is refused once its size is known, before the
// board is opened, instead of wrapping its tail round to address 0.
TEST_F(Refusal, LoadOfAFileLargerThanTheAddressSpaceIsRefused) {
    MakeFile("big.bin", 20 << 20);
    const CliResult result = Cli({"load-ram", Path("big.bin")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "RAM load error\n");
    EXPECT_EQ(result.err,
              "error: Invalid RAM address:  the RAM address space ends at 0x1000000. (RAM Load "
              "Error)\n");
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
