// Load, then store, through the built tool in every memory configuration: the file comes back
// byte for byte, and the configurations without RAM or Flash refuse those commands.
#include "CliFixture.h"

#include <cstdint>
#include <string>

namespace tessary::test {
namespace {

struct Configuration {
    const char* name;
    const char* device; // a simulated board whose Flash matches
    uint32_t flashSize;
};

std::string PrintName(const ::testing::TestParamInfo<Configuration>& info) {
    return info.param.name;
}

class RamRoundTrip : public CliTest, public ::testing::WithParamInterface<Configuration> {};

TEST_P(RamRoundTrip, StoreGivesBackWhatWasLoaded) {
    const std::vector<uint8_t> data = MakeFile("in.bin", 20000);
    const std::vector<std::string> global = {"--config", GetParam().name, "--device",
                                             GetParam().device};
    auto with = [&](std::vector<std::string> rest) {
        rest.insert(rest.begin(), global.begin(), global.end());
        return rest;
    };

    const CliResult load = Cli(with({"load-ram", Path("in.bin"), "--address", "0x12345"}));
    ASSERT_EQ(load.exitCode, 0) << load.err;
    EXPECT_EQ(load.out, "RAM load complete. Total bytes transferred: 20000\n");

    const CliResult store =
        Cli(with({"store-ram", Path("out.bin"), "--address", "0x12345", "--length", "20,000"}));
    ASSERT_EQ(store.exitCode, 0) << store.err;
    EXPECT_EQ(store.out, "Ram Store complete. Total bytes transferred: 20000\n");
    EXPECT_EQ(Read("out.bin"), data);
}

INSTANTIATE_TEST_SUITE_P(EveryConfigurationWithRam, RamRoundTrip,
                         ::testing::Values(Configuration{"q0", "SimBoard", 0x80000},
                                           Configuration{"q1", "SimBoard", 0x80000},
                                           Configuration{"q2", "SimBoard", 0x80000},
                                           Configuration{"parvel4", "Sim4M", 0x400000},
                                           Configuration{"parvel16", "Sim16M", 0x1000000}),
                         PrintName);

class FlashRoundTrip : public CliTest, public ::testing::WithParamInterface<Configuration> {};

// The range crosses an erase-block boundary near the top of the Flash. It is programmed twice
// with different data: the second load verifies only if auto erase cleared exactly the blocks
// the range overlaps.
TEST_P(FlashRoundTrip, ReprogrammedRangeStoresBackTheLastFile) {
    const std::string address = std::to_string(GetParam().flashSize - 0x21000);
    MakeFile("first.bin", 20000, 1);
    const std::vector<uint8_t> second = MakeFile("second.bin", 20000, 2);
    const std::vector<std::string> global = {"--config", GetParam().name, "--device",
                                             GetParam().device};
    auto with = [&](std::vector<std::string> rest) {
        rest.insert(rest.begin(), global.begin(), global.end());
        return rest;
    };

    for (const char* file : {"first.bin", "second.bin"}) {
        const CliResult load = Cli(with({"load-flash", Path(file), "--address", address}));
        ASSERT_EQ(load.exitCode, 0) << file << ": " << load.err;
        EXPECT_EQ(load.out, "Flash Load complete. Total bytes transferred: 20000\n");
    }
    const CliResult store =
        Cli(with({"store-flash", Path("out.bin"), "--address", address, "--length", "20000"}));
    ASSERT_EQ(store.exitCode, 0) << store.err;
    EXPECT_EQ(store.out, "Flash Store complete. Total bytes transferred: 20000\n");
    EXPECT_EQ(Read("out.bin"), second);
}

INSTANTIATE_TEST_SUITE_P(EveryConfigurationWithFlash, FlashRoundTrip,
                         ::testing::Values(Configuration{"q0", "SimBoard", 0x80000},
                                           Configuration{"q1", "SimBoard", 0x80000},
                                           Configuration{"q3", "Sim1M", 0x100000},
                                           Configuration{"parvel4", "Sim4M", 0x400000},
                                           Configuration{"parvel16", "Sim16M", 0x1000000}),
                         PrintName);

struct Refusal {
    const char* configuration;
    std::vector<std::string> command;
    const char* reason;
};

class MissingMemory : public CliTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(MissingMemory, IsRefusedAsBadUsageBeforeAnyBoardIsOpened) {
    MakeFile("in.bin", 100);
    std::vector<std::string> arguments = {"--config", GetParam().configuration};
    for (const std::string& word : GetParam().command) {
        arguments.push_back(word == "FILE" ? Path("in.bin") : word);
    }
    const CliResult result = Cli(arguments);
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_NE(result.err.find(GetParam().reason), std::string::npos) << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_TRUE(NoBoardOpened());
}

INSTANTIATE_TEST_SUITE_P(
    DisabledPages, MissingMemory,
    ::testing::Values(
        Refusal{"q3", {"load-ram", "FILE"}, "the Q3 (1024K Flash) module has no RAM."},
        Refusal{"q3", {"store-ram", "FILE", "--length", "16"}, "module has no RAM."},
        Refusal{"q2", {"load-flash", "FILE"}, "the Q2 (1024K RAM) module has no Flash."},
        Refusal{"q2", {"store-flash", "FILE", "--length", "16"}, "module has no Flash."},
        Refusal{"q2", {"erase"}, "module has no Flash."}));

} // namespace
} // namespace tessary::test
