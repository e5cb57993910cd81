// erase and erase --blocks against a Flash full of data: exactly the chosen blocks turn to 0xFF.
#include "CliFixture.h"

#include <algorithm>

namespace tessary::test {
namespace {

class EraseBlocks : public CliTest {
  protected:
    // Programs the whole Flash of the configuration, runs the erase, and reads the Flash back.
    std::vector<uint8_t> EraseAfterFilling(const std::vector<std::string>& global,
                                           std::size_t flashSize,
                                           const std::vector<std::string>& erase) {
        full = MakeFile("full.bin", flashSize);
        auto with = [&](std::vector<std::string> rest) {
            rest.insert(rest.begin(), global.begin(), global.end());
            return rest;
        };
        EXPECT_EQ(Cli(with({"load-flash", Path("full.bin")})).exitCode, 0);
        erased = Cli(with(erase));
        EXPECT_EQ(Cli(with({"store-flash", Path("out.bin"), "--length", std::to_string(flashSize)}))
                      .exitCode,
                  0);
        return Read("out.bin");
    }

    static bool Erased(const std::vector<uint8_t>& flash, std::size_t from, std::size_t to) {
        return std::all_of(flash.begin() + static_cast<std::ptrdiff_t>(from),
                           flash.begin() + static_cast<std::ptrdiff_t>(to),
                           [](uint8_t byte) { return byte == 0xFF; });
    }

    bool Kept(const std::vector<uint8_t>& flash, std::size_t from, std::size_t to) const {
        return std::equal(flash.begin() + static_cast<std::ptrdiff_t>(from),
                          flash.begin() + static_cast<std::ptrdiff_t>(to),
                          full.begin() + static_cast<std::ptrdiff_t>(from));
    }

    std::vector<uint8_t> full;
    CliResult erased;
};

TEST_F(EraseBlocks, ListedBlocksOfTheQ0TableOnly) {
    const std::vector<uint8_t> flash =
        EraseAfterFilling({}, 0x80000, {"erase", "--blocks", "0,4-5"});
    ASSERT_EQ(erased.exitCode, 0) << erased.err;
    EXPECT_EQ(erased.out, "Erase Complete\n");
    ASSERT_EQ(flash.size(), 0x80000u);
    EXPECT_TRUE(Erased(flash, 0x00000, 0x20000));
    EXPECT_TRUE(Kept(flash, 0x20000, 0x78000));
    EXPECT_TRUE(Erased(flash, 0x78000, 0x7C000));
    EXPECT_TRUE(Kept(flash, 0x7C000, 0x80000));
    // Blocks are counted from 1 in the status texts.
    EXPECT_NE(erased.err.find("Erasing block: 6"), std::string::npos) << erased.err;
    EXPECT_EQ(erased.err.find("Erasing block: 2"), std::string::npos) << erased.err;
}

TEST_F(EraseBlocks, WithoutAListEveryBlockOfTheQ3Table) {
    const std::vector<uint8_t> flash =
        EraseAfterFilling({"--config", "q3", "--device", "Sim1M"}, 0x100000, {"erase"});
    ASSERT_EQ(erased.exitCode, 0) << erased.err;
    ASSERT_EQ(flash.size(), 0x100000u);
    EXPECT_TRUE(Erased(flash, 0, 0x100000));
}

TEST_F(EraseBlocks, TheLastBlockOfTheParvel4Table) {
    const std::vector<uint8_t> flash = EraseAfterFilling(
        {"--config", "parvel4", "--device", "Sim4M"}, 0x400000, {"erase", "--blocks", "31"});
    ASSERT_EQ(erased.exitCode, 0) << erased.err;
    ASSERT_EQ(flash.size(), 0x400000u);
    EXPECT_TRUE(Kept(flash, 0, 0x3E0000));
    EXPECT_TRUE(Erased(flash, 0x3E0000, 0x400000));
}

// A chip that refuses to erase a block: the run stops there with the string-table message.
TEST_F(EraseBlocks, LockedBlockFailsTheRun) {
    WriteTable("Stubborn sim default locked=2\n");
    const CliResult result = Cli({"erase"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("error: Flash memory error.\n"), std::string::npos) << result.err;
    EXPECT_EQ(result.out, "Flash memory error.\n");
}

} // namespace
} // namespace tessary::test
