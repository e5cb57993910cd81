#include "Suggest.h"

#include <gtest/gtest.h>

namespace tessary::cli {
namespace {

const std::vector<std::string> kCommands = {"devices",    "load-ram",    "store-ram",
                                            "load-flash", "store-flash", "erase"};

TEST(Suggest, NearNamesAreOffered) {
    EXPECT_EQ(ClosestName("lod-ram", kCommands), "load-ram");
    EXPECT_EQ(ClosestName("stroe-flash", kCommands), "store-flash"); // swapped neighbours
    EXPECT_EQ(ClosestName("devics", kCommands), "devices");
}

TEST(Suggest, FarOrExactNamesAreNot) {
    EXPECT_EQ(ClosestName("frobnicate", kCommands), std::nullopt);
    EXPECT_EQ(ClosestName("ra", {"rx"}), std::nullopt); // half of a short word is too much
    EXPECT_EQ(ClosestName("erase", kCommands), std::nullopt);
}

TEST(Suggest, FirstUnknownWordOfTheLine) {
    const std::vector<std::string> options = {"--device", "--length", "--quiet"};
    EXPECT_EQ(SuggestFor({"--device", "Sim1M", "lod-ram", "x.bin"}, kCommands, options),
              "Unknown command 'lod-ram'; did you mean 'load-ram'?");
    EXPECT_EQ(SuggestFor({"store-ram", "out.bin", "--lenght=4"}, kCommands, options),
              "Unknown option '--lenght'; did you mean '--length'?");
    // After the command, positional words are files, never commands.
    EXPECT_EQ(SuggestFor({"load-ram", "erasr"}, kCommands, options), "");
}

} // namespace
} // namespace tessary::cli
