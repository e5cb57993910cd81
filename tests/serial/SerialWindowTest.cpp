// Requests in flight on a serial port, against a board played by the test on a pseudo-terminal:
// how many go out before their replies, what a bad reply in the middle of the window does to the
// rest, what a cancel leaves behind, and what a fast board is sent.
#include "FramedAccess.h"
#include "ScriptedBoardTest.h"

namespace tessary {
namespace {

using test::Bytes;
using test::Frame;

using SerialWindowTest = test::ScriptedBoardTest;

TEST_F(SerialWindowTest, ABasicBoardKeepsOneRequestInFlightUnlessTold) {
    EXPECT_EQ(port.Window(), 1);
    port.SetWindow(4);
    EXPECT_EQ(port.Window(), 4);
}

TEST_F(SerialWindowTest, RequestsGoOutBeforeTheirRepliesUpToTheWindow) {
    port.SetWindow(3);
    const uint8_t data[] = {1, 2, 3};
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(port.IssuePutRegRepeat(3, 0x06, data));
    }
    // All three are on the line although the board has answered none.
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(peer.ReadFrame(), Frame({0x44, 0x06, 1, 2, 3}));
    }
    // The fourth waits for the oldest reply.
    peer.Write(Frame({0x81}));
    ASSERT_TRUE(port.IssuePutRegRepeat(3, 0x06, data));
    EXPECT_EQ(peer.ReadFrame(), Frame({0x44, 0x06, 1, 2, 3}));
    for (int i = 0; i < 3; ++i) {
        peer.Write(Frame({0x81}));
    }
    EXPECT_TRUE(port.Complete());
}

TEST_F(SerialWindowTest, AWrongReplyInTheWindowFailsDeliversNothingMoreAndDrainsTheRest) {
    port.SetWindow(3);
    uint8_t first[2] = {};
    uint8_t third[2] = {};
    uint8_t second[2] = {};
    ASSERT_TRUE(port.IssueGetRegRepeat(2, 0x06, first));
    ASSERT_TRUE(port.IssueGetRegRepeat(2, 0x06, second));
    ASSERT_TRUE(port.IssueGetRegRepeat(2, 0x06, third));
    peer.Write(Frame({0x85, 0xA1, 0xA2}));
    peer.Write(Frame({0x83, 0x06, 0xB1}));
    peer.Write(Frame({0x85, 0xC1, 0xC2}));
    EXPECT_FALSE(port.Complete());
    EXPECT_EQ(port.ErrorCode(), kErrWrongReply);
    EXPECT_EQ(first[0], 0xA1);
    EXPECT_EQ(third[0], 0x00);
    // The third reply was drained: the next exchange gets its own reply.
    peer.Write(Frame({0x81}));
    bool present = false;
    EXPECT_TRUE(port.Probe(present));
    EXPECT_TRUE(present);
}

TEST_F(SerialWindowTest, ACancelSendsNothingMoreAndTakesTheRepliesOfWhatWasSent) {
    port.SetWindow(4);
    CancelToken cancel;
    Answer([&cancel](const Bytes&) {
        cancel.Cancel();
        return Bytes{0x81};
    });
    Bytes data(63 * 10, 0x5A);
    EXPECT_FALSE(
        PutRegRepeatInFrames(port, static_cast<int32_t>(data.size()), 0x06, data.data(), cancel));
    // What was in flight when the first reply came back, and no more.
    const size_t sent = Requests().size();
    EXPECT_GE(sent, 1u);
    EXPECT_LE(sent, 5u);
    EXPECT_TRUE(peer.Drain().empty());
    // Every reply was taken: the line is clean for the next exchange.
    peer.Write(Frame({0x81}));
    bool present = false;
    EXPECT_TRUE(port.Probe(present));
}

// The board takes the requests and stalls in the middle of its first reply: the cancel ends the
// wait instead of the reply's allowance, and the port then stays out of step with the board,
// sending nothing, until it is opened again.
TEST_F(SerialWindowTest, ACancelStopsWaitingForABoardThatStalls) {
    port.SetWindow(4);
    CancelToken cancel;
    Answer([&cancel](const Bytes&) {
        cancel.Cancel();
        return Bytes{}; // nothing but the first byte of a reply, written below
    });
    peer.Write({0x01});
    Bytes data(63 * 10, 0x5A);
    EXPECT_FALSE(
        PutRegRepeatInFrames(port, static_cast<int32_t>(data.size()), 0x06, data.data(), cancel));
    EXPECT_EQ(port.ErrorCode(), kErrCancelled);
    const size_t sent = Requests().size();
    EXPECT_GE(sent, 1u);
    EXPECT_LE(sent, 4u);

    bool present = false;
    EXPECT_FALSE(port.Probe(present));
    EXPECT_EQ(port.ErrorCode(), kErrCancelled);
    EXPECT_TRUE(peer.Drain().empty());

    ASSERT_TRUE(port.Close());
    ASSERT_TRUE(port.OpenPath(peer.SlavePath().c_str()));
    peer.Write(Frame({0x81}));
    EXPECT_TRUE(port.Probe(present));
    EXPECT_EQ(peer.ReadFrame(), Frame({0x40}));
}

TEST_F(SerialWindowTest, AFastBoardGetsLongFramesTheCompactReadAndItsWindow) {
    Announce(" {fast w=4 m=200 f=80000}");
    ASSERT_TRUE(port.Fast());
    EXPECT_EQ(port.Window(), 4);
    EXPECT_EQ(port.Fast()->flashSize, 0x80000u);
    uint8_t next = 0;
    Answer([&next](const Bytes& request) {
        if (request[0] != 0x49) {
            return Bytes{0x81};
        }
        Bytes reply{0x85};
        for (int i = 0; i < request[2]; ++i) {
            reply.push_back(next++);
        }
        return reply;
    });
    Bytes data(300, 0x11);
    EXPECT_TRUE(PutRegRepeatInFrames(port, 300, 0x06, data.data()));
    Bytes out(300);
    EXPECT_TRUE(GetRegRepeatInFrames(port, 300, 0x06, out.data()));
    const auto sent = Requests();
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_EQ(sent[0].size(), 200u); // 0x44, the register, 198 bytes
    EXPECT_EQ(sent[1].size(), 2u + 102u);
    EXPECT_EQ(sent[2], (Bytes{0x49, 0x06, 199}));
    EXPECT_EQ(sent[3], (Bytes{0x49, 0x06, 101}));
    for (size_t i = 0; i < out.size(); ++i) {
        ASSERT_EQ(out[i], static_cast<uint8_t>(i)) << i;
    }
}

TEST_F(SerialWindowTest, ABoardReopenedIsBasicUntilItsIdentityIsReadAgain) {
    Announce(" {fast w=4 m=200}");
    ASSERT_TRUE(port.Close());
    ASSERT_TRUE(port.OpenPath(peer.SlavePath().c_str()));
    EXPECT_FALSE(port.Fast());
    Bytes data(100, 0x22);
    EXPECT_FALSE(port.PutRegRepeat(100, 0x06, data.data()));
    EXPECT_EQ(port.ErrorCode(), kErrFrameTooLong);
}

} // namespace
} // namespace tessary
