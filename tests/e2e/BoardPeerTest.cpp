// The board's side of the protocol: what tessary-board answers to well-formed and malformed
// requests, carried out on the simulated board.
#include "BoardProcess.h"
#include "FastAnnouncement.h"
#include "FrameCodec.h"
#include "RequestHandler.h"
#include "SimBoard.h"
#include "TtyConfig.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>

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

TEST_F(RequestHandlerTest, ABasicBoardDoesNotKnowTheCompactRead) {
    Bytes reply;
    EXPECT_FALSE(Answer({0x49, 0x06, 0x02}, reply));
}

// A fast board that takes payloads of up to 100 bytes.
class FastHandlerTest : public RequestHandlerTest {
  protected:
    static protocol::FastCapabilities Capabilities() {
        protocol::FastCapabilities fast;
        fast.window = 4;
        fast.maxPayload = 100;
        fast.flashSize = 0x80000;
        return fast;
    }
    peer::RequestHandler fast{*board, "Bench board", Capabilities()};

    Bytes FastReply(const Bytes& request) {
        Bytes reply;
        EXPECT_TRUE(fast.Handle(request.data(), static_cast<int>(request.size()), reply));
        return reply;
    }
    bool Refused(const Bytes& request) {
        Bytes reply;
        return !fast.Handle(request.data(), static_cast<int>(request.size()), reply);
    }
};

TEST_F(FastHandlerTest, AnnouncesItselfAtTheEndOfItsIdentity) {
    const Bytes identity = FastReply({0x41});
    EXPECT_EQ(std::string(identity.begin() + 1, identity.end()),
              "Bench board {fast w=4 m=100 f=80000}");
}

TEST_F(FastHandlerTest, TheAnnouncementAlwaysFitsWhatAHostReads) {
    peer::RequestHandler longName(*board, std::string(100, 'x'), Capabilities());
    const std::string& text = longName.Identity();
    EXPECT_EQ(text.size(), peer::kMaxIdentity);
    const auto parsed = protocol::ParseFastAnnouncement(text);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->maxPayload, 100);
}

TEST_F(FastHandlerTest, LongFramesAndTheCompactRead) {
    Bytes write{0x44, 0x06};
    for (int i = 0; i < 98; ++i) {
        write.push_back(static_cast<uint8_t>(i + 1));
    }
    FastReply({0x45, 0x01, 0x00, 0x02, 0x20, 0x03, 0x00});
    EXPECT_EQ(FastReply(write), (Bytes{0x81}));
    FastReply({0x45, 0x01, 0x00, 0x02, 0x20, 0x03, 0x00});
    const Bytes values = FastReply({0x49, 0x06, 99});
    ASSERT_EQ(values.size(), 100u);
    EXPECT_EQ(values[0], 0x85);
    EXPECT_EQ(values[1], 1);
    EXPECT_EQ(values[98], 98);
    EXPECT_EQ(values[99], 0); // one past what was written
}

TEST_F(FastHandlerTest, NothingLongerThanItsPayloadLimitInEitherDirection) {
    EXPECT_TRUE(Refused(Bytes(101, 0x44)));  // a request over 100 bytes
    EXPECT_TRUE(Refused({0x49, 0x06, 100})); // a reply of 101 bytes
    EXPECT_TRUE(Refused({0x49, 0x06, 0}));   // nothing to read
    EXPECT_TRUE(Refused({0x49, 0x06}));      // no count
    Bytes longList(51, 0x06);
    longList[0] = 0x48;
    EXPECT_TRUE(Refused(longList)); // 50 registers: a reply of 101 bytes
    longList.pop_back();
    EXPECT_EQ(FastReply(longList).size(), 99u);
    Bytes longRead{0x47, 97, 0x06};
    longRead.resize(100);
    EXPECT_EQ(FastReply(longRead).size(), 98u); // 0x47 with its filler stays valid
}

// The computing requests carry exactly their register, value and 24-bit count: a byte more or
// less is another request, which gets no reply.
TEST_F(FastHandlerTest, ComputingRequestsOfAnotherLengthGetNoReply) {
    protocol::FastCapabilities offers = Capabilities();
    offers.checksum = offers.fill = offers.runs = true;
    peer::RequestHandler computing(*board, "Bench board", offers);
    const Bytes wellFormed[] = {{0x4A, 0x06, 0x01, 0x00, 0x00},
                                {0x4B, 0x06, 0xA5, 0x01, 0x00, 0x00},
                                {0x4C, 0x06, 0x01, 0x00, 0x00}};
    for (const Bytes& request : wellFormed) {
        Bytes reply;
        EXPECT_TRUE(computing.Handle(request.data(), static_cast<int>(request.size()), reply));
        Bytes longer = request;
        longer.push_back(0x00);
        EXPECT_FALSE(computing.Handle(longer.data(), static_cast<int>(longer.size()), reply))
            << testing::PrintToString(longer);
        EXPECT_FALSE(computing.Handle(request.data(), static_cast<int>(request.size()) - 1, reply))
            << testing::PrintToString(request) << " less its last byte";
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
    void SetUp() override { Start({}); }
    void Start(const std::vector<std::string>& options) {
        if (fd >= 0) {
            close(fd);
        }
        process = std::make_unique<BoardProcess>(options);
        fd = open(process->Path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
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

    // Whole frames arriving within `ms` of the last one.
    std::vector<Bytes> ReceiveFrames(int ms) {
        const Bytes bytes = Receive(ms);
        std::vector<Bytes> frames;
        for (size_t at = 0; at < bytes.size() && at + bytes[at] + 2 <= bytes.size();) {
            const size_t size = bytes[at] + 2u;
            frames.emplace_back(bytes.begin() + static_cast<ptrdiff_t>(at),
                                bytes.begin() + static_cast<ptrdiff_t>(at + size));
            at += size;
        }
        return frames;
    }

    std::unique_ptr<BoardProcess> process;
    int fd = -1;
};

Bytes RequestFrame(const Bytes& payload) {
    Bytes bytes(payload.size() + frame::kOverhead);
    frame::Encode(payload.data(), static_cast<int>(payload.size()), bytes.data());
    return bytes;
}

TEST_F(RawLineTest, ABasicBoardAnswersItsIdentityAsItStands) {
    Start({"--protocol", "basic", "--identity", "Plain"});
    Send({0x01, 0x41, 0xBE});
    EXPECT_EQ(Receive(200), RequestFrame({0x82, 'P', 'l', 'a', 'i', 'n'}));
}

TEST_F(RawLineTest, LatencyHoldsEveryReplyButRepliesInFlightOverlap) {
    Start({"--latency-ms", "300"});
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    Bytes two = RequestFrame({0x40});
    const Bytes probe = two;
    two.insert(two.end(), probe.begin(), probe.end());
    Send(two);
    // When each reply was whole.
    std::vector<Clock::duration> arrivals;
    Bytes bytes;
    pollfd entry{fd, POLLIN, 0};
    while (arrivals.size() < 2 && poll(&entry, 1, 5000) > 0) {
        uint8_t chunk[64];
        const ssize_t n = read(fd, chunk, sizeof(chunk));
        ASSERT_GT(n, 0);
        bytes.insert(bytes.end(), chunk, chunk + n);
        while (bytes.size() >= 2u && bytes.size() >= bytes[0] + 2u) {
            const auto size = static_cast<ptrdiff_t>(bytes[0] + 2u);
            EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + size), RequestFrame({0x81}));
            bytes.erase(bytes.begin(), bytes.begin() + size);
            arrivals.push_back(Clock::now() - start);
        }
    }
    ASSERT_EQ(arrivals.size(), 2u);
    // Each reply was held its 300 ms; held one after the other, the second would come 300 ms
    // after the first, held together it comes with it (how close is board_latency_bench's).
    EXPECT_GE(arrivals[0], std::chrono::milliseconds(300));
    EXPECT_LT(arrivals[1] - arrivals[0], std::chrono::milliseconds(150));
}

TEST_F(RawLineTest, AnOverflowingReceiverLosesRequestsNeverCorruptsThem) {
    // Each request is 5 bytes and its reply 203: while the board sends one reply, only three
    // more requests fit its 16-byte receiver. The fourth is cut and dropped with all that
    // follows until the line is quiet again.
    Start({"--baud", "115200", "--rx-buffer", "16"});
    Bytes requests;
    for (int i = 0; i < 8; ++i) {
        const Bytes read = RequestFrame({0x49, 0x06, 200});
        requests.insert(requests.end(), read.begin(), read.end());
    }
    Send(requests);
    const std::vector<Bytes> replies = ReceiveFrames(300);
    ASSERT_EQ(replies.size(), 4u);
    for (const Bytes& reply : replies) {
        EXPECT_EQ(reply.size(), 203u);
        EXPECT_EQ(reply[1], 0x85);
    }
    Send(RequestFrame({0x40}));
    EXPECT_EQ(Receive(200), RequestFrame({0x81}));
}

TEST_F(RawLineTest, FrameWithAWrongChecksumIsIgnored) {
    Send({0x01, 0x40, 0xBE});
    EXPECT_TRUE(Receive(200).empty());
    Send({0x01, 0x40, 0xBF});
    EXPECT_EQ(Receive(200), (Bytes{0x01, 0x81, 0x7E}));
}

struct LineError {
    const char* name;
    void (*damage)(Bytes& frame);
};

// A window of three RAM writes whose first is damaged on the line: the board must not take the
// later two for the first, or at the addresses the first would have advanced to, nor a frame
// that their data happens to hold (each carries a write of three 0xEE, where a receiver that
// trusted a length of 0xF0 would look for the next frame). It drops them with the damaged frame,
// as the line has not been quiet in between, and answers again after.
class LineErrorTest : public RawLineTest, public ::testing::WithParamInterface<LineError> {};

TEST_P(LineErrorTest, NothingAfterItLandsUntilTheLineHasBeenQuiet) {
    Start({"--max-payload", "120"});
    const Bytes setAddress = RequestFrame({0x45, 0x01, 0x00, 0x02, 0x10, 0x03, 0x00});
    Send(setAddress);
    ASSERT_EQ(Receive(200), RequestFrame({0x81}));
    Bytes window;
    for (uint8_t write = 1; write <= 3; ++write) {
        Bytes payload{0x44, 0x06};
        payload.resize(102, write);
        const Bytes hidden = RequestFrame({0x44, 0x06, 0xEE, 0xEE, 0xEE});
        std::copy(hidden.begin(), hidden.end(), payload.begin() + 33);
        Bytes frame = RequestFrame(payload);
        if (write == 1) {
            GetParam().damage(frame);
        }
        window.insert(window.end(), frame.begin(), frame.end());
    }
    Send(window);
    EXPECT_TRUE(ReceiveFrames(200).empty());
    Send(setAddress);
    ASSERT_EQ(Receive(200), RequestFrame({0x81}));
    for (int piece = 0; piece < 3; ++piece) {
        Send(RequestFrame({0x49, 0x06, 100}));
        Bytes expected(1, 0x85);
        expected.resize(101, 0x00); // the RAM as it was: none of the three landed
        EXPECT_EQ(Receive(200), RequestFrame(expected)) << "piece " << piece;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Errors, LineErrorTest,
    ::testing::Values(LineError{"BadChecksum", [](Bytes& frame) { frame.back() ^= 0x01; }},
                      LineError{"LengthPastTheLongestPayload",
                                [](Bytes& frame) { frame[0] = 0xF0; }},
                      LineError{"LengthZero", [](Bytes& frame) { frame[0] = 0x00; }}),
    [](const auto& test) { return std::string(test.param.name); });

// One request and the reply it must get; no reply expected when `reply` is empty.
struct Exchange {
    Bytes request;
    Bytes reply;
};

struct ExchangeCase {
    const char* name;
    std::vector<std::string> options;
    std::vector<Exchange> exchanges;
};

// The board's side of the requests it computes (checksum 0x4A, fill 0x4B, run-length read 0x4C)
// and of the faults of a chip that fails to erase and a broken CRC engine: each case is a
// transcript of payloads, the board's replies compared byte for byte. A compact read after a
// computing request shows where it left the address.
class ExchangeTest : public RawLineTest, public ::testing::WithParamInterface<ExchangeCase> {
  protected:
    // One whole frame arriving within five seconds, or what came until then.
    Bytes ReceiveFrame() {
        Bytes bytes;
        pollfd entry{fd, POLLIN, 0};
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while ((bytes.empty() || bytes.size() < bytes[0] + 2u) &&
               std::chrono::steady_clock::now() < deadline && poll(&entry, 1, 100) >= 0) {
            uint8_t chunk[300];
            const ssize_t n = read(fd, chunk, sizeof(chunk));
            if (n > 0) {
                bytes.insert(bytes.end(), chunk, chunk + n);
            }
        }
        return bytes;
    }
};

TEST_P(ExchangeTest, RepliesAsTheTranscriptSays) {
    Start(GetParam().options);
    const std::vector<Exchange>& exchanges = GetParam().exchanges;
    for (size_t i = 0; i < exchanges.size(); ++i) {
        Send(RequestFrame(exchanges[i].request));
        if (exchanges[i].reply.empty()) {
            EXPECT_TRUE(Receive(300).empty()) << "exchange " << i;
        } else {
            EXPECT_EQ(ReceiveFrame(), RequestFrame(exchanges[i].reply)) << "exchange " << i;
        }
    }
}

Bytes SetAddress(uint32_t address) {
    return {0x45,
            0x01,
            static_cast<uint8_t>(address),
            0x02,
            static_cast<uint8_t>(address >> 8),
            0x03,
            static_cast<uint8_t>(address >> 16)};
}

// Flash commands, each written through the controller's strobe, as one register list.
Bytes FlashCommands(std::initializer_list<uint8_t> commands) {
    Bytes list{0x45};
    for (uint8_t command : commands) {
        list.insert(list.end(), {0x04, command, 0x00, 0xF5, 0x00, 0xF7, 0x00, 0xFF});
    }
    return list;
}

std::vector<Exchange> Joined(std::initializer_list<std::vector<Exchange>> parts) {
    std::vector<Exchange> all;
    for (const std::vector<Exchange>& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

const Bytes kDone{0x81};

std::vector<Exchange> ChecksumOfNineBytes(uint8_t firstCrcByte) {
    return {{SetAddress(0x1000), kDone},
            {{0x44, 0x06, '1', '2', '3', '4', '5', '6', '7', '8', '9', 0x5A}, kDone},
            {SetAddress(0x1000), kDone},
            {{0x4A, 0x06, 0x09, 0x00, 0x00}, {0x86, firstCrcByte, 0x39, 0xF4, 0xCB}},
            {{0x49, 0x06, 0x01}, {0x85, 0x5A}}};
}

// Five zeros, 11 22 33, 130 times 0x44: runs, a literal, a run longer than one item holds.
Bytes MixedData() {
    return Concat({Bytes(5, 0x00), {0x11, 0x22, 0x33}, Bytes(130, 0x44)});
}

// An erase of the block at 0x20000, whose first byte holds 0x12, and its first two bytes read
// back once the status says ready (three busy reads, the board's default).
std::vector<Exchange> EraseAndReadBack(const Bytes& readBack) {
    return {{SetAddress(0x20000), kDone},
            {{0x44, 0x07, 0x12}, kDone},
            {FlashCommands({0x20, 0xD0}), kDone},
            {{0x45, 0x00, 0xF6}, kDone},
            {{0x46, 0x05}, {0x83, 0x05, 0x00}},
            {{0x46, 0x05}, {0x83, 0x05, 0x00}},
            {{0x46, 0x05}, {0x83, 0x05, 0x00}},
            {{0x46, 0x05}, {0x83, 0x05, 0x80}},
            {FlashCommands({0xFF}), kDone},
            {SetAddress(0x20000), kDone},
            {{0x49, 0x07, 0x02}, Concat({{0x85}, readBack})}};
}

std::vector<ExchangeCase> ExchangeCases() {
    const std::string identity = "Tessary simulated board {fast w=16 m=255 f=80000";
    auto identityReply = [](const std::string& text) {
        return Concat({{0x82}, Bytes(text.begin(), text.end())});
    };
    // A run-length read limited by its reply: 255 payload bytes, the board's M, standing for
    // 126 runs of 128 and one byte, 16,129 bytes of the 16,384 asked.
    Bytes fullReply{0x87};
    for (int run = 0; run < 126; ++run) {
        fullReply.insert(fullReply.end(), {0xFF, 0xFF});
    }
    fullReply.insert(fullReply.end(), {0x00, 0xFF});
    // At M = 65 a reply holds 64 bytes of items: one literal of 62 of the 80 distinct bytes.
    Bytes distinct;
    for (uint8_t i = 1; i <= 80; ++i) {
        distinct.push_back(i);
    }
    Bytes literalReply{0x87, 61};
    literalReply.insert(literalReply.end(), distinct.begin(), distinct.begin() + 62);
    return {
        {"ChecksumOfKnownRam", {}, ChecksumOfNineBytes(0x26)},
        {"ChecksumOfAnErasedFlashBlock",
         {},
         {{SetAddress(0x7A000), kDone},
          {{0x4A, 0x07, 0x00, 0x20, 0x00}, {0x86, 0x35, 0x34, 0x29, 0xB4}}}},
        {"FillRamThenReadBack",
         {},
         {{SetAddress(0x2000), kDone},
          {{0x4B, 0x06, 0xA5, 0x05, 0x00, 0x00}, kDone},
          {{0x49, 0x06, 0x01}, {0x85, 0x00}},
          {SetAddress(0x2000), kDone},
          {{0x49, 0x06, 0x06}, {0x85, 0xA5, 0xA5, 0xA5, 0xA5, 0xA5, 0x00}}}},
        {"FillFlashProgramsEachByte",
         {},
         {{SetAddress(0x100), kDone},
          {{0x4B, 0x07, 0x3C, 0x03, 0x00, 0x00}, kDone},
          {FlashCommands({0xFF}), kDone},
          {SetAddress(0xFF), kDone},
          {{0x49, 0x07, 0x05}, {0x85, 0xFF, 0x3C, 0x3C, 0x3C, 0xFF}}}},
        {"RunsOfAnErasedFlash",
         {},
         {{SetAddress(300), kDone},
          {{0x44, 0x07, 0x00}, kDone},
          {FlashCommands({0xFF}), kDone},
          {SetAddress(0), kDone},
          {{0x4C, 0x07, 0x2C, 0x01, 0x00}, {0x87, 0xFF, 0xFF, 0xFF, 0xFF, 0xAB, 0xFF}},
          {{0x49, 0x07, 0x01}, {0x85, 0x00}}}},
        {"RunsOfMixedData",
         {},
         {{SetAddress(0x3000), kDone},
          {Concat({{0x44, 0x06}, MixedData(), {0x5A}}), kDone},
          {SetAddress(0x3000), kDone},
          {{0x4C, 0x06, 0x8A, 0x00, 0x00},
           {0x87, 0x84, 0x00, 0x02, 0x11, 0x22, 0x33, 0xFF, 0x44, 0x81, 0x44}},
          {{0x49, 0x06, 0x01}, {0x85, 0x5A}}}},
        {"RunsStopWhereAReplyOfMIsFull",
         {},
         {{SetAddress(16129), kDone},
          {{0x44, 0x07, 0x00}, kDone},
          {FlashCommands({0xFF}), kDone},
          {SetAddress(0), kDone},
          {{0x4C, 0x07, 0x00, 0x40, 0x00}, fullReply},
          {{0x49, 0x07, 0x01}, {0x85, 0x00}}}},
        {"RunsStopWhereAReplyOfASmallMIsFull",
         {"--max-payload", "65"},
         {{SetAddress(0x4000), kDone},
          {Concat({{0x44, 0x06}, Bytes(distinct.begin(), distinct.begin() + 60)}), kDone},
          {Concat({{0x44, 0x06}, Bytes(distinct.begin() + 60, distinct.end())}), kDone},
          {SetAddress(0x4000), kDone},
          {{0x4C, 0x06, 0xE8, 0x03, 0x00}, literalReply},
          {{0x49, 0x06, 0x01}, {0x85, 63}}}},
        {"ACountOfZeroGetsNoReply",
         {},
         {{{0x4A, 0x06, 0x00, 0x00, 0x00}, {}},
          {{0x4B, 0x06, 0xA5, 0x00, 0x00, 0x00}, {}},
          {{0x4C, 0x06, 0x00, 0x00, 0x00}, {}},
          {{0x40}, kDone}}},
        {"AnnouncesWhatItComputes", {}, {{{0x41}, identityReply(identity + " x=cfr}")}}},
        {"WithoutExtensionsNoneIsAnnouncedNorAnswered",
         {"--extensions", "none"},
         {{{0x41}, identityReply(identity + "}")},
          {{0x4A, 0x06, 0x01, 0x00, 0x00}, {}},
          {{0x4B, 0x06, 0xA5, 0x01, 0x00, 0x00}, {}},
          {{0x4C, 0x06, 0x01, 0x00, 0x00}, {}},
          {{0x49, 0x06, 0x01}, {0x85, 0x00}}}}, // the fill wrote nothing, nothing moved on
        {"OnlyTheChecksum",
         {"--extensions", "c"},
         {{{0x41}, identityReply(identity + " x=c}")},
          {{0x4B, 0x06, 0xA5, 0x01, 0x00, 0x00}, {}},
          {{0x4C, 0x06, 0x01, 0x00, 0x00}, {}},
          {{0x4A, 0x06, 0x01, 0x00, 0x00}, {0x86, 0x8D, 0xEF, 0x02, 0xD2}}}},
        {"WrongCrcChangesOneBitOfEveryChecksum",
         {"--fault", "wrong-crc"},
         ChecksumOfNineBytes(0x27)},
        {"WrongCrcCountsChecksumRepliesOnly",
         {"--fault", "wrong-crc", "--fault-at", "2", "--fault-count", "1"},
         Joined({ChecksumOfNineBytes(0x26), ChecksumOfNineBytes(0x27), ChecksumOfNineBytes(0x26)})},
        {"AnEraseClearsTheBlock", {"--time-scale", "0"}, EraseAndReadBack({0xFF, 0xFF})},
        {"AnIgnoredEraseReportsReadyAndKeepsTheBlock",
         {"--time-scale", "0", "--fault", "ignore-erase"},
         EraseAndReadBack({0x12, 0xFF})},
    };
}

INSTANTIATE_TEST_SUITE_P(Requests, ExchangeTest, ::testing::ValuesIn(ExchangeCases()),
                         [](const auto& test) { return std::string(test.param.name); });

TEST_F(RawLineTest, BrokenFrameIsDroppedAndTheNextOneAnswered) {
    Send({0x05, 0x44, 0x06});
    EXPECT_TRUE(Receive(700).empty());
    Send({0x01, 0x40, 0xBF});
    EXPECT_EQ(Receive(200), (Bytes{0x01, 0x81, 0x7E}));
}

} // namespace
} // namespace tessary::test
