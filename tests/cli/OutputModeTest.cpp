// The three output modes of store-ram and store-flash, each on a file that already holds data.
#include "CliFixture.h"

namespace tessary::test {
namespace {

struct Memory {
    const char* load;
    const char* store;
};

class OutputModes : public CliTest, public ::testing::WithParamInterface<Memory> {
  protected:
    void SetUp() override {
        CliTest::SetUp();
        data = MakeFile("data.bin", 100, 7);
        const CliResult load = Cli({GetParam().load, Path("data.bin"), "--address", "0x100"});
        ASSERT_EQ(load.exitCode, 0) << load.err;
    }

    CliResult Store(std::vector<std::string> options) {
        std::vector<std::string> arguments = {GetParam().store, Path("out.bin"), "--address",
                                              "0x100",          "--length",      "100"};
        arguments.insert(arguments.end(), options.begin(), options.end());
        return Cli(arguments);
    }

    static std::vector<uint8_t> Pattern(std::size_t size) {
        std::vector<uint8_t> bytes(size);
        for (std::size_t i = 0; i < size; ++i) {
            bytes[i] = static_cast<uint8_t>(0xA0 + i % 7);
        }
        return bytes;
    }

    std::vector<uint8_t> data;
};

TEST_P(OutputModes, AppendAddsAtTheEnd) {
    Write("out.bin", {1, 2, 3});
    ASSERT_EQ(Store({"--mode", "append"}).exitCode, 0);
    std::vector<uint8_t> expected = {1, 2, 3};
    expected.insert(expected.end(), data.begin(), data.end());
    EXPECT_EQ(Read("out.bin"), expected);
}

TEST_P(OutputModes, ReplaceLeavesExactlyTheData) {
    Write("out.bin", Pattern(5000));
    ASSERT_EQ(Store({"--mode", "REPLACE"}).exitCode, 0);
    EXPECT_EQ(Read("out.bin"), data);
}

TEST_P(OutputModes, ReplaceIsTheDefault) {
    Write("out.bin", Pattern(5000));
    ASSERT_EQ(Store({}).exitCode, 0);
    EXPECT_EQ(Read("out.bin"), data);
}

TEST_P(OutputModes, OverwriteReplacesOnlyTheBytesFromTheOffset) {
    const std::vector<uint8_t> before = Pattern(500);
    Write("out.bin", before);
    ASSERT_EQ(Store({"--mode", "overwrite", "--offset", "0x0a"}).exitCode, 0);
    std::vector<uint8_t> expected = before;
    std::copy(data.begin(), data.end(), expected.begin() + 10);
    EXPECT_EQ(Read("out.bin"), expected);
}

TEST_P(OutputModes, OverwritePastTheEndPlacesTheDataAtTheOffset) {
    Write("out.bin", Pattern(20));
    ASSERT_EQ(Store({"--mode", "overwrite", "--offset", "64"}).exitCode, 0);
    std::vector<uint8_t> expected = Pattern(20);
    expected.resize(64, 0);
    expected.insert(expected.end(), data.begin(), data.end());
    EXPECT_EQ(Read("out.bin"), expected);
}

TEST_P(OutputModes, OverwriteCreatesAMissingFile) {
    ASSERT_EQ(Store({"--mode", "overwrite"}).exitCode, 0);
    EXPECT_EQ(Read("out.bin"), data);
}

// The offset means something in overwrite mode only; elsewhere it is a mistake worth saying.
TEST_P(OutputModes, OffsetOutsideOverwriteIsBadUsage) {
    Write("out.bin", {1, 2, 3});
    const CliResult result = Store({"--mode", "append", "--offset", "4"});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.err, "error: --offset applies to --mode overwrite only.\n");
    EXPECT_EQ(Read("out.bin"), (std::vector<uint8_t>{1, 2, 3}));
}

INSTANTIATE_TEST_SUITE_P(RamAndFlash, OutputModes,
                         ::testing::Values(Memory{"load-ram", "store-ram"},
                                           Memory{"load-flash", "store-flash"}),
                         [](const auto& param) { return std::string(param.param.load + 5); });

} // namespace
} // namespace tessary::test
