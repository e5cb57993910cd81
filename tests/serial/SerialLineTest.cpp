// SerialLine on its own: opening (and failing to open, with a reason a user can act on), the
// states, and frames on the line. Only pseudo-terminals made here and paths that do not exist are
// ever opened.
#include "SerialLine.h"
#include "PtyPeer.h"
#include "RegisterPort.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sys/ioctl.h>
#include <thread>
#include <unistd.h>

namespace tessary {
namespace {

using test::Bytes;
using test::Frame;
using test::PtyPeer;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

class SerialLineTest : public ::testing::Test {
  protected:
    void SetUp() override { line.Initialize(); }

    SerialLine line;
};

TEST_F(SerialLineTest, MissingTtyFailsAndLeavesTheLineClosed) {
    EXPECT_FALSE(line.Open("/dev/tessary-no-such-tty"));
    EXPECT_EQ(line.ErrorCode(), kErrLineOpenFailed);
    EXPECT_EQ(line.Flags(), SerialLine::kFlagInitialised);
    EXPECT_EQ(line.LastOpenFailure(), OpenFailure::NoSuchDevice);
    EXPECT_EQ(line.OpenFailureText(), "/dev/tessary-no-such-tty: no such device");

    PtyPeer peer;
    EXPECT_TRUE(line.Open(peer.SlavePath().c_str()));
    EXPECT_EQ(line.ErrorCode(), 0);
    EXPECT_EQ(line.OpenFailureText(), "");
}

TEST_F(SerialLineTest, StartUpDefaultNameIsLookedUpUnderDev) {
    EXPECT_EQ(TtyPath("COM1"), "/dev/COM1");
    EXPECT_EQ(TtyPath("ttyUSB0"), "/dev/ttyUSB0");
    EXPECT_EQ(TtyPath("/dev/pts/3"), "/dev/pts/3");
    ASSERT_FALSE(std::filesystem::exists("/dev/COM1"));
    EXPECT_FALSE(line.Open("COM1"));
    EXPECT_EQ(line.ErrorCode(), kErrLineOpenFailed);
    EXPECT_EQ(line.OpenFailureText(), "/dev/COM1: no such device");
}

TEST_F(SerialLineTest, SecondOpenIsRefused) {
    PtyPeer peer;
    ASSERT_TRUE(line.Open(peer.SlavePath().c_str()));
    EXPECT_FALSE(line.Open(peer.SlavePath().c_str()));
    EXPECT_EQ(line.ErrorCode(), kErrLineAlreadyOpen);
    EXPECT_EQ(line.Flags(), SerialLine::kFlagInitialised | SerialLine::kFlagOpen);
}

TEST_F(SerialLineTest, TtyInUseByAnotherLineIsBusy) {
    PtyPeer peer;
    ASSERT_TRUE(line.Open(peer.SlavePath().c_str()));
    SerialLine other;
    other.Initialize();
    EXPECT_FALSE(other.Open(peer.SlavePath().c_str()));
    EXPECT_EQ(other.ErrorCode(), kErrLineOpenFailed);
    EXPECT_EQ(other.LastOpenFailure(), OpenFailure::Busy);
    EXPECT_NE(other.OpenFailureText().find("busy"), std::string::npos);

    ASSERT_TRUE(line.Close());
    EXPECT_TRUE(other.Open(peer.SlavePath().c_str()));
}

TEST_F(SerialLineTest, FileThatIsNoTtyIsRefused) {
    const std::string path = testing::TempDir() + "serial-line-not-a-tty";
    std::ofstream(path) << "data";
    EXPECT_FALSE(line.Open(path.c_str()));
    EXPECT_EQ(line.LastOpenFailure(), OpenFailure::NotASerialDevice);
    EXPECT_EQ(line.OpenFailureText(), path + ": not a serial device");
    std::remove(path.c_str());

    EXPECT_FALSE(line.Open("/tmp"));
    EXPECT_EQ(line.LastOpenFailure(), OpenFailure::NotASerialDevice);
}

// A port past 65535 is not taken modulo 65536, nor port 0 as any: such a name is refused before
// anything is connected to.
TEST_F(SerialLineTest, NetworkLineWithoutAPortFrom1To65535IsRefused) {
    for (const char* name : {"tcp://127.0.0.1:99999", "tcp://127.0.0.1:0", "tcp://127.0.0.1:00",
                             "rfc2217://127.0.0.1:65536", "tcp://[::1]:4294967297"}) {
        EXPECT_FALSE(line.Open(name)) << name;
        EXPECT_EQ(line.LastOpenFailure(), OpenFailure::BadNetworkAddress) << name;
        EXPECT_EQ(line.OpenFailureText(),
                  std::string(name) + ": the port must be a number from 1 to 65535");
    }
    EXPECT_FALSE(line.Open("tcp://127.0.0.1"));
    EXPECT_EQ(line.OpenFailureText(), "tcp://127.0.0.1: not a network line: write tcp://HOST:PORT "
                                      "or rfc2217://HOST:PORT");
}

TEST(OpenFailureWords, TellTheUserWhatToDo) {
    EXPECT_EQ(DescribeOpenFailure(OpenFailure::PermissionDenied, EACCES),
              "permission denied; the user may need to be a member of the dialout group");
    EXPECT_EQ(DescribeOpenFailure(OpenFailure::Busy, EBUSY),
              "device busy; another program is using it");
    EXPECT_EQ(DescribeOpenFailure(OpenFailure::Other, EIO), "Input/output error");
}

TEST(SerialLineStates, NeedInitialiseAndOpen) {
    SerialLine line;
    uint8_t payload[1] = {0x40};
    int length = 0;
    EXPECT_FALSE(line.Open("/dev/tessary-no-such-tty"));
    EXPECT_EQ(line.ErrorCode(), kErrLineNotInitialised);
    EXPECT_FALSE(line.Close());
    EXPECT_EQ(line.ErrorCode(), kErrLineNotInitialised);
    line.Initialize();
    EXPECT_FALSE(line.Close());
    EXPECT_EQ(line.ErrorCode(), kErrLineNotOpen);
    EXPECT_FALSE(line.SendFrame(1, payload));
    EXPECT_EQ(line.ErrorCode(), kErrLineNotOpen);
    EXPECT_FALSE(line.ReceiveFrame(65, length, payload));
    EXPECT_EQ(line.ErrorCode(), kErrLineNotOpen);
}

TEST_F(SerialLineTest, ResetClosesWhatIsStillOpen) {
    PtyPeer peer;
    ASSERT_TRUE(line.Open(peer.SlavePath().c_str()));
    line.Reset();
    EXPECT_EQ(line.Flags(), 0u);
    EXPECT_EQ(line.ErrorCode(), 0);
    // The tty is free again: a line left open would hold its lock.
    SerialLine other;
    other.Initialize();
    EXPECT_TRUE(other.Open(peer.SlavePath().c_str()));
}

TEST_F(SerialLineTest, FramesInBothDirections) {
    PtyPeer peer;
    ASSERT_TRUE(line.Open(peer.SlavePath().c_str()));
    const uint8_t request[] = {0x46, 0x05};
    EXPECT_TRUE(line.SendFrame(2, request));
    EXPECT_EQ(line.ErrorCode(), 0);
    EXPECT_EQ(peer.Drain(), (Bytes{0x02, 0x46, 0x05, 0xB3}));

    uint8_t tooLong[66] = {};
    EXPECT_FALSE(line.SendFrame(66, tooLong));
    EXPECT_EQ(line.ErrorCode(), kErrFrameTooLong);
    EXPECT_TRUE(peer.Drain().empty());

    peer.Write(Frame({0x83, 0x00, 0x42}));
    uint8_t buffer[68] = {};
    int length = 0;
    EXPECT_TRUE(line.ReceiveFrame(65, length, buffer));
    EXPECT_EQ(length, 3);
    EXPECT_EQ(buffer[2], 0x42);
}

TEST_F(SerialLineTest, ReplyLongerThanTheCapacityIsNeverStored) {
    PtyPeer peer;
    ASSERT_TRUE(line.Open(peer.SlavePath().c_str()));
    // Exactly the capacity is fine; one more is drained and refused, the buffer untouched.
    Bytes reply(4, 0x21);
    peer.Write(Frame(reply));
    uint8_t buffer[6];
    std::fill(std::begin(buffer), std::end(buffer), 0xEE);
    int length = -1;
    EXPECT_TRUE(line.ReceiveFrame(4, length, buffer));
    EXPECT_EQ(length, 4);
    EXPECT_EQ(buffer[4], 0xEE);

    reply.push_back(0x22);
    peer.Write(Frame(reply));
    std::fill(std::begin(buffer), std::end(buffer), 0xEE);
    length = -1;
    EXPECT_FALSE(line.ReceiveFrame(4, length, buffer));
    EXPECT_EQ(line.ErrorCode(), kErrReplyTooLong);
    EXPECT_EQ(length, -1);
    EXPECT_EQ(buffer[0], 0xEE);

    peer.Write(Frame({0x81}));
    EXPECT_TRUE(line.ReceiveFrame(4, length, buffer));
    EXPECT_EQ(buffer[0], 0x81);
}

TEST_F(SerialLineTest, ReplyWhoseChecksumDoesNotAddUpIsNeverDelivered) {
    PtyPeer peer;
    ASSERT_TRUE(line.Open(peer.SlavePath().c_str()));
    uint8_t buffer[68];
    std::fill(std::begin(buffer), std::end(buffer), 0xEE);
    int length = -1;
    // A data byte changed on the line, the checksum as the board computed it.
    Bytes reply = Frame({0x85, 0x11, 0x22, 0x33});
    reply[3] ^= 0x04;
    peer.Write(reply);
    EXPECT_FALSE(line.ReceiveFrame(65, length, buffer));
    EXPECT_EQ(line.ErrorCode(), kErrBadChecksum);
    EXPECT_EQ(length, -1);
    EXPECT_EQ(buffer[0], 0xEE);

    // The bad frame was read whole: the next one is taken as it stands.
    peer.Write(Frame({0x81}));
    EXPECT_TRUE(line.ReceiveFrame(65, length, buffer));
    EXPECT_EQ(length, 1);
}

TEST_F(SerialLineTest, WholeReplyMustArriveWithinOneAllowance) {
    PtyPeer peer;
    ASSERT_TRUE(line.Open(peer.SlavePath().c_str()));
    // Seven bytes 300 ms apart: each comes well within a second of the last, the whole reply
    // takes 1.8 s, longer than its allowance of 1000 ms + 10 ms a byte.
    const Bytes reply = Frame({0x85, 1, 2, 3, 4});
    std::thread dribbler([&] {
        for (const uint8_t byte : reply) {
            peer.Write({byte});
            std::this_thread::sleep_for(milliseconds(300));
        }
    });
    uint8_t buffer[68];
    int length = 0;
    const auto start = Clock::now();
    EXPECT_FALSE(line.ReceiveFrame(65, length, buffer));
    const auto elapsed = Clock::now() - start;
    dribbler.join();
    EXPECT_EQ(line.ErrorCode(), kErrReplyCutShort);
    EXPECT_GE(elapsed, milliseconds(1000));
    EXPECT_LT(elapsed, milliseconds(1800)); // before the reply's last byte
}

TEST_F(SerialLineTest, PeerThatHangsUpEndsTheWaitAtOnce) {
    PtyPeer peer;
    ASSERT_TRUE(line.Open(peer.SlavePath().c_str()));
    peer.Write({0x05, 0x85});
    std::thread killer([&] {
        std::this_thread::sleep_for(milliseconds(100));
        peer.HangUp();
    });
    uint8_t buffer[68];
    int length = 0;
    const auto start = Clock::now();
    EXPECT_FALSE(line.ReceiveFrame(65, length, buffer));
    const auto elapsed = Clock::now() - start;
    killer.join();
    EXPECT_EQ(line.ErrorCode(), kErrLineHungUp);
    // The hang-up ends the wait, not the reply's allowance (1000 ms + 10 ms a byte). That the dead
    // line is not polled in a loop is counted in SerialHangUpTest; how soon the wait ends and
    // what it costs is serial_hangup_bench's.
    EXPECT_LT(elapsed, milliseconds(1000));

    // The next request fails as a hang-up too, without waiting out an allowance.
    const uint8_t probe[] = {0x40};
    const auto again = Clock::now();
    EXPECT_FALSE(line.SendFrame(1, probe) && line.ReceiveFrame(65, length, buffer));
    EXPECT_EQ(line.ErrorCode(), kErrLineHungUp);
    EXPECT_LT(Clock::now() - again, milliseconds(1000));
}

TEST_F(SerialLineTest, CloseLeavesTheTtyOpenToOthers) {
    PtyPeer peer;
    ASSERT_TRUE(line.Open(peer.SlavePath().c_str()));
    int exclusive = 0;
    ASSERT_EQ(ioctl(peer.SlaveFd(), TIOCGEXCL, &exclusive), 0);
    EXPECT_NE(exclusive, 0);
    ASSERT_TRUE(line.Close());
    // Exclusive mode left on would make every later open by an ordinary user fail as busy.
    ASSERT_EQ(ioctl(peer.SlaveFd(), TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0);
}

} // namespace
} // namespace tessary
