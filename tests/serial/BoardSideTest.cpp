// What the port sends a board that fills and reads runs on its side (x=f, x=r), and what it makes
// of the replies, against a board played by the test on a pseudo-terminal: the exact requests,
// the window they share, replies that do not decode, a board that announces neither, which
// gets exactly the data frames it always got, and how long a reply is waited for.
#include "ScriptedBoardTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <iterator>
#include <thread>

namespace tessary {
namespace {

using test::Bytes;
using test::Frame;

class BoardSideTest : public test::ScriptedBoardTest {};

Bytes Done(const Bytes&) {
    return {0x81};
}

// 20 bytes without runs, 5000 of 0xFF, 15 zeros (too short a run), 40 without runs, 100 zeros.
Bytes BlockWithRuns() {
    Bytes data;
    for (int i = 0; i < 20; ++i) {
        data.push_back(static_cast<uint8_t>(i + 1));
    }
    data.insert(data.end(), 5000, 0xFF);
    data.insert(data.end(), 15, 0x00);
    for (int i = 0; i < 40; ++i) {
        data.push_back(static_cast<uint8_t>(0x80 + i));
    }
    data.insert(data.end(), 100, 0x00);
    return data;
}

Bytes DataFrame(const Bytes& data, size_t from, size_t size) {
    Bytes payload(2 + size);
    payload[0] = 0x44;
    payload[1] = 0x06;
    std::copy_n(data.begin() + static_cast<ptrdiff_t>(from), size, payload.begin() + 2);
    return payload;
}

TEST_F(BoardSideTest, RunsGoAsFillsAmongTheDataFramesInOneWindow) {
    Announce(" {fast w=8 m=255 x=f}");
    // The board answers nothing before it holds all five requests: they share the window.
    Answer(Done, 5);
    const Bytes data = BlockWithRuns();
    ASSERT_TRUE(port.WriteRepeat(static_cast<int32_t>(data.size()), 0x06, data.data(),
                                 CancelToken::Never()));
    const std::vector<Bytes> expected = {
        DataFrame(data, 0, 20),
        {0x4B, 0x06, 0xFF, 0x00, 0x10, 0x00}, // 4096
        {0x4B, 0x06, 0xFF, 0x88, 0x03, 0x00}, // 904
        DataFrame(data, 5020, 55),
        {0x4B, 0x06, 0x00, 0x64, 0x00, 0x00}, // 100
    };
    EXPECT_EQ(Requests(), expected);
}

// A board that announces no fill gets the data frames of old, whatever the data holds: cut at
// what one frame carries, byte for byte.
TEST_F(BoardSideTest, ABoardWithoutTheFillGetsTheDataFramesOfOld) {
    struct Case {
        const char* group;
        size_t perFrame;
    };
    for (const Case& c : {Case{"", 63}, Case{" {fast w=8 m=255}", 253},
                          Case{" {fast w=8 m=255 x=cr}", 253}, Case{" {fast w=2 m=65 x=c}", 63}}) {
        SCOPED_TRACE(c.group);
        Announce(c.group);
        stop = false;
        requests.clear();
        Answer(Done);
        const Bytes data = BlockWithRuns();
        ASSERT_TRUE(port.WriteRepeat(static_cast<int32_t>(data.size()), 0x06, data.data(),
                                     CancelToken::Never()));
        std::vector<Bytes> expected;
        for (size_t from = 0; from < data.size(); from += c.perFrame) {
            expected.push_back(DataFrame(data, from, std::min(c.perFrame, data.size() - from)));
        }
        EXPECT_EQ(Requests(), expected);
    }
}

TEST_F(BoardSideTest, RunLengthReadsWhileTheyPayThenCompactReadsForTheRest) {
    Announce(" {fast w=8 m=255 x=r}");
    Answer([](const Bytes& request) -> Bytes {
        if (request == Bytes{0x4C, 0x07, 0x2C, 0x00, 0x00}) { // the second: 4 bytes in 6
            return {0x87, 0x03, 1, 2, 3, 4};
        }
        if (request[0] == 0x4C) { // 128 of 0xFF and 128 zeros in 5 bytes
            return {0x87, 0xFF, 0xFF, 0xFF, 0x00};
        }
        Bytes values{0x85};
        for (int i = 0; i < request[2]; ++i) {
            values.push_back(static_cast<uint8_t>(0xA0 + i));
        }
        return values;
    });
    Bytes out(300);
    ASSERT_TRUE(port.ReadRepeat(300, 0x07, out.data(), CancelToken::Never()));
    const std::vector<Bytes> expected = {
        {0x4C, 0x07, 0x2C, 0x01, 0x00}, // 300
        {0x4C, 0x07, 0x2C, 0x00, 0x00}, // the 44 left
        {0x49, 0x07, 40},
    };
    EXPECT_EQ(Requests(), expected);
    Bytes want(128, 0xFF);
    want.insert(want.end(), 128, 0x00);
    want.insert(want.end(), {1, 2, 3, 4});
    for (int i = 0; i < 40; ++i) {
        want.push_back(static_cast<uint8_t>(0xA0 + i));
    }
    EXPECT_EQ(out, want);
}

TEST_F(BoardSideTest, ARunLengthReplyThatDoesNotDecodeIsRefused) {
    Announce(" {fast w=8 m=255 x=r}");
    const Bytes replies[] = {
        {0x87},                         // stands for nothing
        {0x87, 0x81},                   // a run without its byte
        {0x87, 0x05, 1, 2, 3},          // six bytes as they are, three there
        {0x87, 0xFF, 0x00},             // 128 bytes where 100 were asked
        {0x87, 0xE3, 0x11, 0x80, 0x22}, // 100 bytes and one more
    };
    for (const Bytes& reply : replies) {
        peer.Write(Frame(reply));
        Bytes out(100, 0xAA);
        EXPECT_FALSE(port.ReadRepeat(100, 0x06, out.data(), CancelToken::Never()));
        EXPECT_EQ(port.ErrorCode(), kErrWrongReply);
        EXPECT_NE(port.FailureText().find("a run-length reply that does not decode"),
                  std::string::npos)
            << port.FailureText();
        EXPECT_EQ(peer.Drain(), Frame({0x4C, 0x06, 100, 0, 0}));
    }
}

TEST_F(BoardSideTest, ACancelIsLookedAtBetweenRunLengthReads) {
    Announce(" {fast w=8 m=255 x=r}");
    CancelToken cancel;
    Answer([&cancel](const Bytes&) {
        cancel.Cancel();
        return Bytes{0x87, 0xFF, 0xFF}; // 128 bytes in 4: worth another
    });
    Bytes out(1000);
    EXPECT_FALSE(port.ReadRepeat(1000, 0x06, out.data(), cancel));
    EXPECT_EQ(Requests().size(), 1u);
}

// A request the board carries out over many bytes, and its reply.
struct BoardWork {
    const char* name;
    std::function<bool(SerialPort&, int32_t count)> issue;
    Bytes reply;
};

const BoardWork kBoardWork[] = {
    {"checksum",
     [](SerialPort& port, int32_t count) {
         uint32_t crc = 0;
         return port.Checksum(count, 0x07, crc, CancelToken::Never());
     },
     {0x86, 1, 2, 3, 4}},
    {"fill",
     [](SerialPort& port, int32_t count) {
         return port.IssueFill(count, 0x07, 0x5A) && port.Complete();
     },
     {0x81}},
    {"run-length read",
     [](SerialPort& port, int32_t count) {
         SerialPort::RunsRead read;
         Bytes out(static_cast<size_t>(count));
         return port.ReadRuns(count, 0x07, out.data(), read);
     },
     {0x87, 0xFF, 0xFF}},
};

// A board whose read path is slow (a serial Flash at a low clock) answers a request over a
// million bytes 1.3 s after it, past the allowance of any one frame: the wait grows with the
// count (by 8 s here), for each of the three requests.
TEST_F(BoardSideTest, ARequestOverManyBytesIsWaitedForInProportionToItsCount) {
    Announce(" {fast w=8 m=255 x=cfr}");
    std::atomic<const BoardWork*> current{nullptr};
    Answer([&current](const Bytes&) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1300));
        return current.load()->reply;
    });
    for (const BoardWork& work : kBoardWork) {
        current.store(&work);
        EXPECT_TRUE(work.issue(port, 1000000)) << work.name << ": " << port.FailureText();
    }
    EXPECT_EQ(Requests().size(), std::size(kBoardWork));
}

// The longer wait has its bound: 100,000 bytes add 800 ms, and a board answering after 2.5 s
// has given no reply.
TEST_F(BoardSideTest, ABoardLaterThanTheAllowanceOfItsCountGaveNoReply) {
    Announce(" {fast w=8 m=255 x=c}");
    Answer([](const Bytes&) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2500));
        return Bytes{0x86, 1, 2, 3, 4};
    });
    uint32_t crc = 0;
    EXPECT_FALSE(port.Checksum(100000, 0x07, crc, CancelToken::Never()));
    EXPECT_EQ(port.ErrorCode(), kErrNoReply);
    EXPECT_NE(port.FailureText().find("no reply within 1810 ms"), std::string::npos)
        << port.FailureText();
}

} // namespace
} // namespace tessary
