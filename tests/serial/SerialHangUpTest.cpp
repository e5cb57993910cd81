// A line whose tty hangs up (the board's process ends, its adapter goes away) ends every wait at
// once, whatever the rate: a hung-up tty polls readable for ever and reads as end of file, and
// must not be polled again and again until a deadline. Every poll(2) of this program passes
// through the counter below, so the waits are counted, not timed.
#include "PtyPeer.h"
#include "RegisterPort.h"
#include "SerialLine.h"
#include "SerialPort.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <dlfcn.h>
#include <poll.h>

namespace {

std::atomic<int> gPolls{0};

} // namespace

extern "C" int poll(pollfd* fds, nfds_t count, int timeout) {
    using Poll = int (*)(pollfd*, nfds_t, int);
    static const auto real = reinterpret_cast<Poll>(dlsym(RTLD_NEXT, "poll"));
    gPolls.fetch_add(1);
    return real(fds, count, timeout);
}

namespace tessary {
namespace {

using test::PtyPeer;

// A request in flight, or none, when the board goes away.
class SerialHangUpTest : public ::testing::TestWithParam<uint32_t> {
  protected:
    void SetUp() override {
        line.Initialize();
        line.SetBaud(GetParam());
        port.Initialize(line);
        ASSERT_TRUE(port.OpenPath(peer.SlavePath().c_str()));
    }

    PtyPeer peer;
    SerialLine line;
    SerialPort port;
};

TEST_P(SerialHangUpTest, ARequestInFlightFailsAsAHangUpAfterAFewPolls) {
    port.SetWindow(4);
    const uint8_t data[] = {1, 2, 3};
    ASSERT_TRUE(port.IssuePutRegRepeat(3, 0x06, data));
    ASSERT_TRUE(port.IssuePutRegRepeat(3, 0x06, data));
    peer.HangUp();
    gPolls = 0;
    EXPECT_FALSE(port.Complete());
    EXPECT_EQ(port.ErrorCode(), kErrLineHungUp);
    // One to learn of the hang-up while taking the reply, one while draining what was due.
    EXPECT_LE(gPolls.load(), 2);
}

TEST_P(SerialHangUpTest, DrainingAHungUpLineEndsAtOnce) {
    peer.HangUp();
    gPolls = 0;
    line.DiscardInput();
    EXPECT_LE(gPolls.load(), 1);
}

INSTANTIATE_TEST_SUITE_P(Rates, SerialHangUpTest, ::testing::Values(300u, 115200u));

} // namespace
} // namespace tessary
