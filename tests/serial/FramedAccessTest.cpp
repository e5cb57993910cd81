// Long repeated accesses and register lists cut into frames the port accepts, answered by a board
// played by the test on a pseudo-terminal.
#include "FramedAccess.h"
#include "ScriptedBoardTest.h"

#include <gtest/gtest.h>

namespace tessary {
namespace {

using test::Bytes;
using test::Frame;

class FramedAccessTest : public test::ScriptedBoardTest {};

Bytes Done(const Bytes&) {
    return {0x81};
}

TEST_F(FramedAccessTest, LongWriteGoesOutInFullFramesThenTheRest) {
    Answer(Done);
    Bytes data(130);
    for (size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<uint8_t>(i);
    }
    EXPECT_TRUE(PutRegRepeatInFrames(port, 130, 0x06, data.data()));
    const auto sent = Requests();
    ASSERT_EQ(sent.size(), 3u);
    Bytes carried;
    for (const Bytes& request : sent) {
        EXPECT_EQ(request[0], 0x44);
        EXPECT_EQ(request[1], 0x06);
        carried.insert(carried.end(), request.begin() + 2, request.end());
    }
    EXPECT_EQ(sent[0].size(), 65u);
    EXPECT_EQ(sent[2].size(), 2u + 4u);
    EXPECT_EQ(carried, data);
}

TEST_F(FramedAccessTest, LongReadJoinsThePiecesInOrder) {
    uint8_t next = 0;
    Answer([&next](const Bytes& request) {
        Bytes reply{0x85};
        for (int i = 0; i < request[1]; ++i) {
            reply.push_back(next++);
        }
        return reply;
    });
    Bytes out(130);
    EXPECT_TRUE(GetRegRepeatInFrames(port, 130, 0x07, out.data()));
    const auto sent = Requests();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0][1], 62);
    EXPECT_EQ(sent[1][1], 62);
    EXPECT_EQ(sent[2], (Bytes{0x47, 6, 0x07, 0, 0, 0, 0, 0, 0}));
    for (size_t i = 0; i < out.size(); ++i) {
        ASSERT_EQ(out[i], static_cast<uint8_t>(i)) << i;
    }
}

TEST_F(FramedAccessTest, LongListsGoOutThirtyTwoPairsAtATime) {
    Answer([](const Bytes& request) {
        if (request[0] == 0x45) {
            return Bytes{0x81};
        }
        Bytes reply{0x84};
        for (size_t i = 1; i < request.size(); ++i) {
            reply.push_back(request[i]);
            reply.push_back(static_cast<uint8_t>(~request[i]));
        }
        return reply;
    });
    RegisterPair pairs[68];
    for (int i = 0; i < 68; ++i) {
        pairs[i] = {static_cast<uint8_t>(i), 0};
    }
    EXPECT_TRUE(PutRegSetInFrames(port, 68, pairs));
    EXPECT_TRUE(GetRegSetInFrames(port, 68, pairs));
    for (int i = 0; i < 68; ++i) {
        EXPECT_EQ(pairs[i].data, static_cast<uint8_t>(~i));
    }
    const auto sent = Requests();
    ASSERT_EQ(sent.size(), 6u);
    EXPECT_EQ(sent[0].size(), 65u);
    EXPECT_EQ(sent[2].size(), 9u);
    EXPECT_EQ(sent[5].size(), 5u);
}

TEST_F(FramedAccessTest, FirstFailingPieceEndsTheAccess) {
    int answered = 0;
    Answer([&answered](const Bytes&) { return ++answered == 2 ? Bytes{0x83} : Bytes{0x81}; });
    Bytes data(200, 0x5A);
    EXPECT_FALSE(PutRegRepeatInFrames(port, 200, 0x06, data.data()));
    EXPECT_EQ(port.ErrorCode(), kErrWrongReply);
    EXPECT_EQ(Requests().size(), 2u);
}

TEST_F(FramedAccessTest, EmptyAndNegativeCounts) {
    Answer(Done);
    uint8_t byte = 0;
    EXPECT_TRUE(PutRegRepeatInFrames(port, 0, 0x06, &byte));
    EXPECT_FALSE(GetRegRepeatInFrames(port, -5, 0x06, &byte));
    EXPECT_EQ(port.ErrorCode(), kErrFrameTooLong);
    EXPECT_TRUE(Requests().empty());
}

} // namespace
} // namespace tessary
