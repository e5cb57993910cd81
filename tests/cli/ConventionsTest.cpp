// The habits users bring from other command-line tools: short options, --version, a hint for a
// mistyped word, and a word when the device table they named is missing.
#include "CliFixture.h"

#include <string>

namespace tessary::test {
namespace {

using Conventions = CliTest;

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST_F(Conventions, VersionLongAndShort) {
    for (const char* flag : {"--version", "-V"}) {
        const CliResult result = Cli({flag});
        EXPECT_EQ(result.exitCode, 0) << flag << result.err;
        EXPECT_TRUE(Has(result.out, "tessary-cli 2.")) << result.out;
    }
}

TEST_F(Conventions, ShortHelpAndQuiet) {
    const CliResult help = Cli({"-h"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(Has(help.out, "load-ram"));
    MakeFile("in.bin", 3000);
    const CliResult quiet = Cli({"-q", "load-ram", Path("in.bin")});
    EXPECT_EQ(quiet.exitCode, 0) << quiet.err;
    EXPECT_EQ(quiet.err, "");
}

TEST_F(Conventions, MistypedCommandGetsAHintAndTouchesNothing) {
    const CliResult result = Cli({"lod-ram", Path("in.bin")});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_TRUE(Has(result.err, "did you mean 'load-ram'?")) << result.err;
    EXPECT_TRUE(NoBoardOpened());
}

TEST_F(Conventions, MistypedOptionGetsAHint) {
    const CliResult result = Cli({"store-ram", Path("out.bin"), "--lenght", "10"});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_TRUE(Has(result.err, "did you mean '--length'?")) << result.err;
    const CliResult global = Cli({"--devcie", "Sim1M", "devices"});
    EXPECT_TRUE(Has(global.err, "did you mean '--device'?")) << global.err;
}

TEST_F(Conventions, NoHintForSomethingFarFromEveryName) {
    const CliResult result = Cli({"frobnicate"});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_FALSE(Has(result.err, "did you mean")) << result.err;
}

TEST_F(Conventions, NamedDeviceTableThatIsMissingIsReported) {
    const CliResult result =
        RunCli({"devices"}, {{"LNKUTIL_DEVICES", Path("no-such.conf")}, {"LNKUTIL_DATA_DIR", ""}});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(Has(result.err, "warning: LNKUTIL_DEVICES names " + Path("no-such.conf")))
        << result.err;
    EXPECT_TRUE(Has(result.out, "SimBoard"));
}

} // namespace
} // namespace tessary::test
