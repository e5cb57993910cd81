// The fast group at the end of a board's identity: what makes a board fast, and everything that
// leaves it a basic board.
#include "FastAnnouncement.h"

#include <gtest/gtest.h>

namespace tessary::protocol {
namespace {

TEST(FastAnnouncementTest, ReadsWindowPayloadAndFlashSize) {
    const auto fast = ParseFastAnnouncement("Lab board rev B {fast w=8 m=255 f=1000000}");
    ASSERT_TRUE(fast);
    EXPECT_EQ(fast->window, 8);
    EXPECT_EQ(fast->maxPayload, 255);
    EXPECT_EQ(fast->flashSize, 0x1000000u);
}

TEST(FastAnnouncementTest, KeysInAnyOrderUnknownOnesIgnoredFlashOptional) {
    const auto fast = ParseFastAnnouncement("X {fast crc=none m=65 w=32 v2=yes}");
    ASSERT_TRUE(fast);
    EXPECT_EQ(fast->window, 32);
    EXPECT_EQ(fast->maxPayload, 65);
    EXPECT_FALSE(fast->flashSize);
    EXPECT_TRUE(ParseFastAnnouncement("{fast w=1 m=100}"));
    EXPECT_EQ(ParseFastAnnouncement("B {fast f=7fFFF w=2 m=70}")->flashSize, 0x7FFFFu);
}

TEST(FastAnnouncementTest, AnythingElseIsABasicBoard) {
    const char* basic[] = {
        "",
        "Tessary simulated board",
        "Board {fast w=8 m=255} rev B",       // not at the end
        "Board{fast w=8 m=255}",              // no space before the group
        "Board {fast w=8}",                   // no m
        "Board {fast m=255}",                 // no w
        "Board {fast w=0 m=255}",             // window out of range
        "Board {fast w=33 m=255}",            //
        "Board {fast w=8 m=64}",              // payload out of range
        "Board {fast w=8 m=256}",             //
        "Board {fast w=8 m=255 f=}",          // empty value
        "Board {fast w=8 m=255 f=0x100}",     // not plain hexadecimal
        "Board {fast w=8 m=255 f=100000000}", // more than 32 bits
        "Board {fast w=8 w=4 m=255}",         // a key twice
        "Board {fast  w=8 m=255}",            // two spaces
        "Board {fast w=8 m=255 }",            // trailing space
        "Board {fastw=8 m=255}",              //
        "Board {slow w=8 m=255}",             //
        "Board {fast w=+8 m=255}",            //
        "Board {fast w=8 m=255",              // not closed
        "Board {fast w=8 x m=255}",           // an item without '='
    };
    for (const char* identity : basic) {
        EXPECT_FALSE(ParseFastAnnouncement(identity)) << identity;
    }
}

TEST(FastAnnouncementTest, WhatIsFormattedParsesBack) {
    FastCapabilities fast;
    fast.window = 5;
    fast.maxPayload = 200;
    fast.flashSize = 0x80000;
    EXPECT_EQ(FormatFastAnnouncement(fast), " {fast w=5 m=200 f=80000}");
    const auto back = ParseFastAnnouncement("B" + FormatFastAnnouncement(fast));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->window, 5);
    EXPECT_EQ(back->maxPayload, 200);
    EXPECT_EQ(back->flashSize, 0x80000u);
    fast.flashSize.reset();
    EXPECT_EQ(FormatFastAnnouncement(fast), " {fast w=5 m=200}");
}

} // namespace
} // namespace tessary::protocol
