// The board's side of the protocol: what tessary-board answers to well-formed and malformed
// requests, carried out on the simulated board.
#include "BoardProcess.h"
#include "FrameCodec.h"
#include "RequestHandler.h"
#include "SimBoard.h"
#include "TtyConfig.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace tessary::test {
namespace {

using Bytes = std::vector<uint8_t>;

class RequestHandlerTest : public ::testing::Test {
  protected:
    // The reply payload, or nullopt-like empty with answered = false.
    bool Answer(const Bytes& request, Bytes& reply) {
        return handler.Handle(request.data(), static_cast<int>(request.size()), reply);
    }
    Bytes Reply(const Bytes& request) {
        Bytes reply;
        EXPECT_TRUE(Answer(request, reply));
        return reply;
    }

    std::unique_ptr<board::SimBoard> board = board::SimBoard::Create({}, nullptr);
    peer::RequestHandler handler{*board, "Bench board"};
};

TEST_F(RequestHandlerTest, AnswersEveryRequest) {
    EXPECT_EQ(Reply({0x40}), (Bytes{0x81}));
    const Bytes identity = Reply({0x41});
    EXPECT_EQ(std::string(identity.begin() + 1, identity.end()), "Bench board");
    EXPECT_EQ(identity[0], 0x82);
    EXPECT_EQ(Reply({0x45, 0x01, 0x00, 0x02, 0x10, 0x03, 0x00}), (Bytes{0x81}));
    EXPECT_EQ(Reply({0x44, 0x06, 0xA1, 0xA2, 0xA3}), (Bytes{0x81}));
    EXPECT_EQ(board->Ram()[0x1000], 0xA1);
    EXPECT_EQ(board->Ram()[0x1002], 0xA3);
    EXPECT_EQ(Reply({0x43, 0x01, 0x00}), (Bytes{0x81}));
    EXPECT_EQ(Reply({0x46, 0x06}), (Bytes{0x83, 0x06, 0xA1}));
    EXPECT_EQ(Reply({0x47, 0x02, 0x06, 0x00, 0x00}), (Bytes{0x85, 0xA2, 0xA3}));
    board->Ram()[0x1004] = 0x5C;
    EXPECT_EQ(Reply({0x48, 0x06, 0x06}), (Bytes{0x84, 0x06, 0x00, 0x06, 0x5C}));
}

TEST_F(RequestHandlerTest, TheRegisterOfARepeatedWriteChoosesRamOrFlash) {
    Reply({0x45, 0x01, 0x00, 0x02, 0x00, 0x03, 0x00});
    Reply({0x44, 0x07, 0x0F, 0xF0});
    EXPECT_EQ(board->FlashMemory()[0], 0x0F);
    EXPECT_EQ(board->FlashMemory()[1], 0xF0);
    EXPECT_EQ(board->Ram()[0], 0x00);
}

TEST_F(RequestHandlerTest, MalformedRequestsGetNoReply) {
    const Bytes malformed[] = {
        {},           {0x40, 0x00},
        {0x42},       {0x43, 0x01},
        {0x44},       {0x45, 0x01},
        {0x46},       {0x47, 0x03, 0x06, 0x00, 0x00}, // one filler byte missing
        {0x47, 0x01}, {0x90},
    };
    for (const Bytes& request : malformed) {
        Bytes reply;
        EXPECT_FALSE(Answer(request, reply)) << testing::PrintToString(request);
    }
}

TEST_F(RequestHandlerTest, IdentityFitsOneReply) {
    peer::RequestHandler longName(*board, std::string(100, 'x'));
    Bytes reply;
    ASSERT_TRUE(longName.Handle(Bytes{0x41}.data(), 1, reply));
    EXPECT_EQ(reply.size(), 65u);
}

// The board process itself, spoken to with raw bytes.
class RawLineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fd = open(process.Path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        ASSERT_GE(fd, 0);
        ASSERT_TRUE(ConfigureTty(fd));
    }
    void TearDown() override { close(fd); }

    void Send(const Bytes& bytes) {
        ASSERT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    // Whatever arrives within `ms`.
    Bytes Receive(int ms) {
        Bytes bytes;
        pollfd entry{fd, POLLIN, 0};
        while (poll(&entry, 1, ms) > 0) {
            uint8_t chunk[64];
            const ssize_t n = read(fd, chunk, sizeof(chunk));
            if (n <= 0) {
                break;
            }
            bytes.insert(bytes.end(), chunk, chunk + n);
        }
        return bytes;
    }

    BoardProcess process;
    int fd = -1;
};

TEST_F(RawLineTest, FrameWithAWrongChecksumIsIgnored) {
    Send({0x01, 0x40, 0xBE});
    EXPECT_TRUE(Receive(200).empty());
    Send({0x01, 0x40, 0xBF});
    EXPECT_EQ(Receive(200), (Bytes{0x01, 0x81, 0x7E}));
}

TEST_F(RawLineTest, BrokenFrameIsDroppedAndTheNextOneAnswered) {
    Send({0x05, 0x44, 0x06});
    EXPECT_TRUE(Receive(700).empty());
    Send({0x01, 0x40, 0xBF});
    EXPECT_EQ(Receive(200), (Bytes{0x01, 0x81, 0x7E}));
}

} // namespace
} // namespace tessary::test
