// Images, Flash preservation and the blank check through the built tessary-cli.
#include "CliFixture.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <string>

namespace tessary::test {
namespace {

std::vector<uint8_t> Text(const std::string& text) {
    return {text.begin(), text.end()};
}

// 4 bytes at 0x10 and 2 bytes at 0x12FFFF, in two extended linear segments.
const std::string kHex = ":0400100001020304E2\n"
                         ":020000040012E8\n"
                         ":02FFFF00AABB9B\n"
                         ":00000001FF\n";

class ImageCli : public CliTest {};

TEST_F(ImageCli, HexLoadsToItsAddressesAndStoresAsSRecords) {
    Write("fw.hex", Text(kHex));
    const CliResult load = Cli({"--config", "parvel16", "load-ram", Path("fw.hex")});
    ASSERT_EQ(load.exitCode, 0) << load.err;
    EXPECT_EQ(load.out, "RAM load complete. Total bytes transferred: 6\n");

    const CliResult store = Cli({"--config", "parvel16", "store-ram", Path("out.s28"), "--address",
                                 "0x12FFFE", "--length", "4"});
    ASSERT_EQ(store.exitCode, 0) << store.err;
    const std::vector<uint8_t> stored = Read("out.s28");
    const std::string text(stored.begin(), stored.end());
    // S2 records carry the RAM addresses: 0x12FFFE holds what was there (0), then AA BB
    EXPECT_NE(text.find("S20812FFFE00AABB00"), std::string::npos) << text;
    EXPECT_EQ(text.rfind("S804000000FB\n"), text.size() - 13) << text;

    // forced raw binary: the text itself lands at 0
    ASSERT_EQ(Cli({"load-ram", Path("fw.hex"), "--format", "bin", "--address", "0x100"}).exitCode,
              0);
    ASSERT_EQ(Cli({"store-ram", Path("raw.out"), "--address", "0x100", "--length",
                   std::to_string(kHex.size())})
                  .exitCode,
              0);
    EXPECT_EQ(Read("raw.out"), Text(kHex));

    // a file whose name names no text format is raw bytes, however well its text reads as records
    for (const char* name : {"fw.bin", "firmware", "fw.dat"}) {
        SCOPED_TRACE(name);
        Write(name, Text(kHex));
        const CliResult raw = Cli({"load-ram", Path(name), "--address", "0x200"});
        ASSERT_EQ(raw.exitCode, 0) << raw.err;
        EXPECT_EQ(raw.out, "RAM load complete. Total bytes transferred: " +
                               std::to_string(kHex.size()) + "\n");
        ASSERT_EQ(Cli({"store-ram", Path("raw.out"), "--address", "0x200", "--length",
                       std::to_string(kHex.size())})
                      .exitCode,
                  0);
        EXPECT_EQ(Read("raw.out"), Text(kHex));
    }
}

TEST_F(ImageCli, TextFormatsAreOnlyReplacedAndBadRecordsTouchNoBoard) {
    const CliResult append =
        Cli({"store-ram", Path("out.hex"), "--length", "16", "--mode", "append"});
    EXPECT_EQ(append.exitCode, 2);
    EXPECT_NE(append.err.find("An Intel HEX file can only be written whole: choose Replace."),
              std::string::npos)
        << append.err;
    const CliResult narrow =
        Cli({"store-ram", Path("out.s19"), "--address", "0xFFF0", "--length", "0x20"});
    EXPECT_EQ(narrow.exitCode, 2);
    EXPECT_NE(narrow.err.find("past what the records of a .s19 file can address (0xFFFF)"),
              std::string::npos)
        << narrow.err;

    Write("bad.hex", Text(":0400100001020304E2\n:0400140005060708CB\n:00000001FF\n"));
    const CliResult bad = Cli({"load-flash", Path("bad.hex")});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_NE(bad.err.find("line 2: checksum mismatch"), std::string::npos) << bad.err;
    EXPECT_TRUE(NoBoardOpened());
}

TEST_F(ImageCli, FlashLoadKeepsTheRestOfItsBlocksUnlessTold) {
    const std::vector<uint8_t> full = MakeFile("full.bin", 0x80000, 1);
    ASSERT_EQ(Cli({"load-flash", Path("full.bin")}).exitCode, 0);
    const std::vector<uint8_t> small = MakeFile("small.bin", 100, 2);

    const CliResult kept = Cli({"load-flash", Path("small.bin"), "--address", "0x30000"});
    ASSERT_EQ(kept.exitCode, 0) << kept.err;
    EXPECT_NE(kept.err.find("Saving block: 2"), std::string::npos) << kept.err;
    ASSERT_EQ(Cli({"store-flash", Path("out.bin"), "--length", "0x80000"}).exitCode, 0);
    std::vector<uint8_t> expected = full;
    std::copy(small.begin(), small.end(), expected.begin() + 0x30000);
    EXPECT_EQ(Read("out.bin"), expected);

    ASSERT_EQ(
        Cli({"load-flash", Path("small.bin"), "--address", "0x50000", "--no-preserve"}).exitCode,
        0);
    ASSERT_EQ(Cli({"store-flash", Path("out.bin"), "--length", "0x80000"}).exitCode, 0);
    const std::vector<uint8_t> after = Read("out.bin");
    EXPECT_EQ(after[0x40000], 0xFF);
    EXPECT_EQ(after[0x50000], small[0]);
}

TEST_F(ImageCli, BlankCheckTellsWhichBlocksAreErased) {
    MakeFile("data.bin", 10, 1);
    ASSERT_EQ(Cli({"load-flash", Path("data.bin"), "--address", "0x7A100"}).exitCode, 0);
    const CliResult check = Cli({"blank-check", "--blocks", "3-5"});
    ASSERT_EQ(check.exitCode, 0) << check.err;
    EXPECT_EQ(check.out, "block 3 at 0x060000: erased\n"
                         "block 4 at 0x078000: erased\n"
                         "block 5 at 0x07A000: not erased\n"
                         "Blank check complete: 2 of 3 blocks erased\n");
    const CliResult json = Cli({"--json", "blank-check"});
    ASSERT_EQ(json.exitCode, 0) << json.err;
    const auto outcome = nlohmann::json::parse(json.out);
    ASSERT_EQ(outcome["blank"].size(), 7u);
    EXPECT_EQ(outcome["blank"][5]["erased"], false);
    EXPECT_EQ(outcome["blank"][6]["erased"], true);
    EXPECT_EQ(outcome["blank"][6]["address"], 0x7C000);
    EXPECT_EQ(Cli({"blank-check", "--blocks", "7"}).exitCode, 2);
}

} // namespace
} // namespace tessary::test
