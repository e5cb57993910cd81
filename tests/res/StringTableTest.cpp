#include "StringTable.h"

#include <gtest/gtest.h>

#include <cstring>

namespace tessary {
namespace {

TEST(StringTable, EntriesAndTheSharedBuffer) {
    const char* first = LoadResString(kStrErrorCaption);
    EXPECT_STREQ(first, "Tessary Error");
    const char* second = LoadResString(kStrVerifyFailed);
    EXPECT_EQ(first, second); // one shared buffer, holding the second text
    EXPECT_STREQ(second, "Write verification failed.");
    EXPECT_STREQ(LoadResString(kStrControllerError),
                 "Error communicating with the memory controller.");
    EXPECT_STREQ(LoadResString(kStrVersionQueryPrefix), "\\StringFileInfo\\040904E4\\");
}

TEST(StringTable, MissingEntriesAreEmpty) {
    EXPECT_STREQ(LoadResString(0), "");
    EXPECT_STREQ(LoadResString(15), "");
    EXPECT_EQ(DupResString(99), "");
    EXPECT_EQ(DupResString(kStrClassName), "Kavrel");
}

TEST(StringTable, IntoTheCallersBufferCutsToFit) {
    char caption[64];
    EXPECT_EQ(LoadResStringInto(kStrErrorCaption, sizeof(caption), caption), caption);
    EXPECT_STREQ(caption, "Tessary Error");
    char small[8];
    std::memset(small, 'x', sizeof(small));
    LoadResStringInto(kStrErrorCaption, sizeof(small), small);
    EXPECT_STREQ(small, "Tessary");
}

} // namespace
} // namespace tessary
