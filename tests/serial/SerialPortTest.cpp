// SerialPort against a board played by the test on a pseudo-terminal: the exact bytes of each
// request, and what the port makes of good, wrong, short and over-long replies.
#include "SerialPort.h"
#include "PtyPeer.h"
#include "SerialLine.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>

namespace tessary {
namespace {

using test::Bytes;
using test::Frame;
using test::PtyPeer;

class SerialPortTest : public ::testing::Test {
  protected:
    void SetUp() override {
        line.Initialize();
        port.Initialize(line);
        port.SetDeviceName(peer.SlavePath().c_str());
        ASSERT_TRUE(port.Open()) << port.ErrorCode();
    }
    void TearDown() override { port.Close(); }

    PtyPeer peer;
    SerialLine line;
    SerialPort port;
};

TEST_F(SerialPortTest, ProbeSendsItsThreeBytesAndChecksTheReply) {
    peer.Write({0x01, 0x81, 0x7E});
    bool present = false;
    EXPECT_TRUE(port.Probe(present));
    EXPECT_TRUE(present);
    EXPECT_EQ(peer.Drain(), (Bytes{0x01, 0x40, 0xBF}));
    for (const uint8_t checksum : {0x7F, 0x00, 0xFF}) {
        peer.Write({0x01, 0x81, checksum});
        EXPECT_FALSE(port.Probe(present));
        EXPECT_FALSE(present);
        EXPECT_EQ(port.ErrorCode(), kErrBadChecksum);
        peer.Drain();
    }
}

TEST_F(SerialPortTest, ValuesChangedOnTheLineAreRefusedNotDelivered) {
    Bytes reply = Frame({0x85, 0x10, 0x20, 0x30});
    reply[2] ^= 0x80;
    peer.Write(reply);
    uint8_t values[3] = {0xAA, 0xAA, 0xAA};
    EXPECT_FALSE(port.GetRegRepeat(3, 0x06, values));
    EXPECT_EQ(port.ErrorCode(), kErrBadChecksum);
    EXPECT_EQ(values[0], 0xAA);
}

TEST_F(SerialPortTest, ProbeClearsPresentWhenTheReplyIsWrong) {
    peer.Write(Frame({0x82}));
    bool present = true;
    EXPECT_FALSE(port.Probe(present));
    EXPECT_FALSE(present);
    EXPECT_EQ(port.ErrorCode(), kErrWrongReply);
}

TEST_F(SerialPortTest, PutRegSendsRegisterThenValue) {
    peer.Write(Frame({0x81}));
    EXPECT_TRUE(port.PutReg(0x12, 0x34));
    EXPECT_EQ(peer.Drain(), (Bytes{0x03, 0x43, 0x12, 0x34, 0x74}));
}

TEST_F(SerialPortTest, GetRegDeliversByteTwoOfTheReply) {
    peer.Write(Frame({0x83, 0x55, 0xA7}));
    uint8_t value = 0;
    EXPECT_TRUE(port.GetReg(0x05, value));
    EXPECT_EQ(value, 0xA7);
    EXPECT_EQ(peer.Drain(), Frame({0x46, 0x05}));
}

TEST_F(SerialPortTest, GetRegWithAnotherReplyCodeLeavesTheOutputAlone) {
    peer.Write(Frame({0x81, 0x00, 0x42}));
    uint8_t value = 0x5A;
    EXPECT_FALSE(port.GetReg(0x05, value));
    EXPECT_EQ(port.ErrorCode(), kErrWrongReply);
    EXPECT_EQ(value, 0x5A);
}

TEST_F(SerialPortTest, GetRegWithoutItsValueByteIsCutShort) {
    peer.Write(Frame({0x83, 0x00}));
    uint8_t value = 0x5A;
    EXPECT_FALSE(port.GetReg(0x05, value));
    EXPECT_EQ(port.ErrorCode(), kErrReplyCutShort);
    EXPECT_EQ(value, 0x5A);
}

TEST_F(SerialPortTest, EmptyReplyCarriesNoCode) {
    peer.Write({0x00, 0x00});
    bool present = true;
    EXPECT_FALSE(port.Probe(present));
    EXPECT_EQ(port.ErrorCode(), kErrWrongReply);
}

TEST_F(SerialPortTest, PutRegSetOfThirtyThreePairsSendsNothing) {
    RegisterPair pairs[33] = {};
    EXPECT_FALSE(port.PutRegSet(33, pairs));
    EXPECT_EQ(port.ErrorCode(), kErrFrameTooLong);
    EXPECT_TRUE(peer.Drain().empty());
}

TEST_F(SerialPortTest, PutRegSetOfThirtyTwoPairsSendsSixtyFivePayloadBytes) {
    RegisterPair pairs[32];
    Bytes payload{0x45};
    for (int i = 0; i < 32; ++i) {
        pairs[i] = {static_cast<uint8_t>(i), static_cast<uint8_t>(0xC0 + i)};
        payload.push_back(pairs[i].address);
        payload.push_back(pairs[i].data);
    }
    peer.Write(Frame({0x81}));
    EXPECT_TRUE(port.PutRegSet(32, pairs));
    const Bytes sent = peer.Drain();
    ASSERT_EQ(sent.size(), 67u);
    EXPECT_EQ(sent[0], 65);
    EXPECT_EQ(sent, Frame(payload));
}

TEST_F(SerialPortTest, PutRegRepeatCarriesTheRegisterBeforeTheData) {
    Bytes data(63);
    for (size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<uint8_t>(3 * i + 1);
    }
    peer.Write(Frame({0x81}));
    EXPECT_TRUE(port.PutRegRepeat(63, 0x07, data.data()));
    Bytes payload{0x44, 0x07};
    payload.insert(payload.end(), data.begin(), data.end());
    EXPECT_EQ(peer.Drain(), Frame(payload));

    Bytes tooMany(64);
    EXPECT_FALSE(port.PutRegRepeat(64, 0x07, tooMany.data()));
    EXPECT_EQ(port.ErrorCode(), kErrFrameTooLong);
    EXPECT_FALSE(port.PutRegRepeat(-1, 0x07, tooMany.data()));
    EXPECT_EQ(port.ErrorCode(), kErrFrameTooLong);
    EXPECT_TRUE(peer.Drain().empty());
}

TEST_F(SerialPortTest, GetRegRepeatAsksWithZeroFillerAndTakesTheValues) {
    peer.Write(Frame({0x85, 0x10, 0x20, 0x30}));
    uint8_t values[3] = {};
    EXPECT_TRUE(port.GetRegRepeat(3, 0x06, values));
    EXPECT_EQ(Bytes(values, values + 3), (Bytes{0x10, 0x20, 0x30}));
    EXPECT_EQ(peer.Drain(), Frame({0x47, 0x03, 0x06, 0x00, 0x00, 0x00}));

    // The filler is zeros even when the buffer held a longer request just before.
    peer.Write(Frame({0x81}));
    Bytes ones(63, 0xEE);
    ASSERT_TRUE(port.PutRegRepeat(63, 0x06, ones.data()));
    peer.Drain();
    Bytes reply{0x85};
    reply.resize(1 + 62, 0x77);
    peer.Write(Frame(reply));
    uint8_t many[62];
    EXPECT_TRUE(port.GetRegRepeat(62, 0x06, many));
    Bytes request{0x47, 62, 0x06};
    request.resize(65, 0x00);
    EXPECT_EQ(peer.Drain(), Frame(request));

    EXPECT_FALSE(port.GetRegRepeat(63, 0x06, many));
    EXPECT_EQ(port.ErrorCode(), kErrFrameTooLong);
}

TEST_F(SerialPortTest, GetRegRepeatWithFewerValuesThanAskedIsCutShort) {
    peer.Write(Frame({0x85, 0x10, 0x20}));
    uint8_t values[3] = {0xAA, 0xAA, 0xAA};
    EXPECT_FALSE(port.GetRegRepeat(3, 0x06, values));
    EXPECT_EQ(port.ErrorCode(), kErrReplyCutShort);
}

TEST_F(SerialPortTest, GetRegSetSendsAddressesAndCopiesThePairs) {
    RegisterPair pairs[2] = {{0x05, 0}, {0x06, 0}};
    peer.Write(Frame({0x84, 0x05, 0x80, 0x06, 0x3C}));
    EXPECT_TRUE(port.GetRegSet(2, pairs));
    EXPECT_EQ(pairs[0].data, 0x80);
    EXPECT_EQ(pairs[1].data, 0x3C);
    EXPECT_EQ(peer.Drain(), Frame({0x48, 0x05, 0x06}));

    RegisterPair many[33] = {};
    EXPECT_FALSE(port.GetRegSet(33, many));
    EXPECT_EQ(port.ErrorCode(), kErrFrameTooLong);
    EXPECT_TRUE(peer.Drain().empty());
}

TEST_F(SerialPortTest, GetIdentityStoresTheTextWithinItsCapacity) {
    char text[8];
    std::memset(text, '#', sizeof(text));
    peer.Write({0x03, 0x82, 0x41, 0x42, 0xF8});
    EXPECT_TRUE(port.GetIdentity(sizeof(text), text));
    EXPECT_STREQ(text, "AB");
    EXPECT_EQ(peer.Drain(), (Bytes{0x01, 0x41, 0xBE}));

    std::memset(text, '#', sizeof(text));
    peer.Write(Frame({0x82, 'W', 'X', 'Y', 'Z'}));
    EXPECT_TRUE(port.GetIdentity(3, text));
    EXPECT_STREQ(text, "WX");
    EXPECT_EQ(text[3], '#');

    peer.Write(Frame({0x82}));
    EXPECT_TRUE(port.GetIdentity(sizeof(text), text));
    EXPECT_STREQ(text, "");
}

TEST_F(SerialPortTest, ReplyCutShortInItsPayload) {
    peer.Write({0x05, 0x85, 0x01});
    uint8_t values[4];
    EXPECT_FALSE(port.GetRegRepeat(4, 0x06, values));
    EXPECT_EQ(port.ErrorCode(), kErrReplyCutShort);
}

TEST_F(SerialPortTest, NoReplyEndsAfterAboutOneSecond) {
    const auto start = std::chrono::steady_clock::now();
    bool present = true;
    EXPECT_FALSE(port.Probe(present));
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(port.ErrorCode(), kErrNoReply);
    EXPECT_FALSE(present);
    EXPECT_GE(elapsed, std::chrono::milliseconds(900));
    EXPECT_LT(elapsed, std::chrono::seconds(3)); // the allowance, not a retry or more
}

TEST_F(SerialPortTest, OverLongReplyIsDroppedAndTheLineStaysUsable) {
    Bytes reply{0x85};
    reply.resize(200, 0xCC);
    peer.Write(Frame(reply));
    uint8_t values[62];
    std::memset(values, 0x11, sizeof(values));
    EXPECT_FALSE(port.GetRegRepeat(62, 0x06, values));
    EXPECT_EQ(port.ErrorCode(), kErrReplyTooLong);
    EXPECT_EQ(values[0], 0x11);
    peer.Drain();

    // Nothing of the long reply is left over to be taken for the next one.
    peer.Write(Frame({0x83, 0x00, 0x99}));
    uint8_t value = 0;
    EXPECT_TRUE(port.GetReg(0x05, value));
    EXPECT_EQ(value, 0x99);
}

TEST_F(SerialPortTest, ClosedPortSendsNothing) {
    ASSERT_TRUE(port.Close());
    bool present = true;
    uint8_t value = 0x5A;
    RegisterPair pair{0x01, 0x02};
    char text[4] = "xyz";
    EXPECT_FALSE(port.Probe(present));
    EXPECT_FALSE(present);
    EXPECT_FALSE(port.GetIdentity(4, text));
    EXPECT_FALSE(port.PutReg(1, 2));
    EXPECT_FALSE(port.PutRegRepeat(1, 1, &value));
    EXPECT_FALSE(port.PutRegSet(1, &pair));
    EXPECT_FALSE(port.GetReg(1, value));
    EXPECT_FALSE(port.GetRegRepeat(1, 1, &value));
    EXPECT_FALSE(port.GetRegSet(1, &pair));
    EXPECT_EQ(port.ErrorCode(), kErrPortNotOpen);
    EXPECT_EQ(value, 0x5A);
    EXPECT_STREQ(text, "xyz");
    EXPECT_TRUE(peer.Drain().empty());
}

TEST_F(SerialPortTest, LineFailuresReachThePort) {
    // The port and the line both believe they are open; the line refuses what it cannot send.
    EXPECT_FALSE(port.Open());
    EXPECT_EQ(port.ErrorCode(), kErrLineAlreadyOpen);
    ASSERT_TRUE(port.Close());
    EXPECT_FALSE(port.Close());
    EXPECT_EQ(port.ErrorCode(), kErrLineNotOpen);
    port.Uninitialize();
    EXPECT_FALSE(port.Open());
    EXPECT_EQ(port.ErrorCode(), kErrLineNotInitialised);
}

} // namespace
} // namespace tessary
