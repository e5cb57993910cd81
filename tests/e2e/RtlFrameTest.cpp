// The gateware's frame engine, verilated in tessary-rtl-board, spoken to with raw frames: the
// fast protocol's announcement, long frames and the compact read, a window of requests in flight,
// what a window larger than its receive FIFO or with a line error inside does (it fails cleanly:
// every reply that comes is right, and memory holds a prefix of the writes and nothing else), and
// a frame of Flash data against a chip that takes real time to program each byte, and the
// requests the board carries out on its own side: checksum, fill and run-length read.
#include "BoardProcess.h"
#include "ControllerRegisters.h"
#include "Crc32.h"
#include "FrameCodec.h"
#include "RunLength.h"
#include "TtyConfig.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace tessary::test {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Frame(const Bytes& payload) {
    Bytes frame(payload.size() + frame::kOverhead);
    frame::Encode(payload.data(), static_cast<int>(payload.size()), frame.data());
    return frame;
}

Bytes SetAddress(uint32_t address) {
    return Frame({0x45, 1, static_cast<uint8_t>(address), 2, static_cast<uint8_t>(address >> 8), 3,
                  static_cast<uint8_t>(address >> 16)});
}

// A checksum or run-length read (register, count) or a fill (register, value, count); the count
// goes least significant byte first.
Bytes CountRequest(uint8_t command, uint8_t reg, uint32_t count) {
    return {command, reg, static_cast<uint8_t>(count), static_cast<uint8_t>(count >> 8),
            static_cast<uint8_t>(count >> 16)};
}
Bytes FillRequest(uint8_t reg, uint8_t value, uint32_t count) {
    return {0x4B,
            reg,
            value,
            static_cast<uint8_t>(count),
            static_cast<uint8_t>(count >> 8),
            static_cast<uint8_t>(count >> 16)};
}

// The checksum reply for `crc`: its code, then the CRC least significant byte first.
Bytes ChecksumReply(uint32_t crc) {
    return {0x86, static_cast<uint8_t>(crc), static_cast<uint8_t>(crc >> 8),
            static_cast<uint8_t>(crc >> 16), static_cast<uint8_t>(crc >> 24)};
}

// The bytes a run-length reply stands for; empty when it is not one or does not decode.
Bytes Decoded(const Bytes& reply) {
    if (reply.size() < 2 || reply[0] != 0x87) {
        return {};
    }
    Bytes out(1u << 16);
    const int32_t n = protocol::DecodeRuns(reply.data() + 1, static_cast<int>(reply.size() - 1),
                                           out.data(), static_cast<int32_t>(out.size()));
    out.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return out;
}

Bytes Pattern(size_t count, uint8_t seed) {
    Bytes bytes(count);
    for (size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<uint8_t>(seed * 13 + i * 7 + 1);
    }
    return bytes;
}

class RtlFrameTest : public ::testing::Test {
  protected:
    void Start(const std::vector<std::string>& options) {
        if (fd >= 0) {
            close(fd); // the line to the board started before
            fd = -1;
        }
        std::vector<std::string> all{"--baud", "3000000"};
        all.insert(all.end(), options.begin(), options.end());
        process = std::make_unique<BoardProcess>(TESSARY_RTL_BOARD_EXE, all);
        fd = open(process->Path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        ASSERT_GE(fd, 0);
        ASSERT_TRUE(ConfigureTty(fd));
    }
    void TearDown() override {
        if (fd >= 0) {
            close(fd);
        }
    }

    // Sends all of `bytes` at once, reading what comes back meanwhile, then reads until the line
    // has been quiet for `quietMs`.
    Bytes Exchange(const Bytes& bytes, int quietMs = 300) {
        Bytes back;
        size_t sent = 0;
        for (;;) {
            pollfd entry{fd, static_cast<short>(POLLIN | (sent < bytes.size() ? POLLOUT : 0)), 0};
            if (poll(&entry, 1, sent < bytes.size() ? 1000 : quietMs) <= 0) {
                return back;
            }
            if ((entry.revents & POLLIN) != 0) {
                uint8_t chunk[4096];
                const ssize_t n = read(fd, chunk, sizeof(chunk));
                if (n > 0) {
                    back.insert(back.end(), chunk, chunk + n);
                }
            }
            if ((entry.revents & POLLOUT) != 0 && sent < bytes.size()) {
                const ssize_t n = write(fd, bytes.data() + sent, bytes.size() - sent);
                if (n > 0) {
                    sent += static_cast<size_t>(n);
                }
            }
        }
    }
    Bytes Reply(const Bytes& payload) {
        const Bytes back = Exchange(Frame(payload));
        if (back.size() < 2 || back.size() != back[0] + 2u) {
            return {};
        }
        return Bytes(back.begin() + 1, back.end() - 1);
    }
    // Sends one request and waits (up to `timeoutMs`, for requests that keep the board busy)
    // for its whole reply, which must add up: its payload.
    Bytes Answer(const Bytes& payload, int timeoutMs = 20000) {
        const Bytes frame = Frame(payload);
        if (write(fd, frame.data(), frame.size()) != static_cast<ssize_t>(frame.size())) {
            return {};
        }
        Bytes back;
        while (back.empty() || back.size() < back[0] + 2u) {
            pollfd entry{fd, POLLIN, 0};
            if (poll(&entry, 1, timeoutMs) <= 0) {
                return {};
            }
            uint8_t chunk[512];
            const ssize_t n = read(fd, chunk, sizeof(chunk));
            if (n > 0) {
                back.insert(back.end(), chunk, chunk + n);
            }
        }
        uint8_t sum = 0;
        for (const uint8_t b : back) {
            sum = static_cast<uint8_t>(sum + b);
        }
        if (back.size() != back[0] + 2u || sum != 0) {
            ADD_FAILURE() << "a reply that is not one frame, or does not add up";
            return {};
        }
        return Bytes(back.begin() + 1, back.end() - 1);
    }
    // `data` into RAM from `address`, in long writes.
    void WriteRam(uint32_t address, const Bytes& data) {
        EXPECT_EQ(Exchange(SetAddress(address)), Frame({0x81}));
        for (size_t at = 0; at < data.size(); at += 253) {
            Bytes write{0x44, kRegRamData};
            const auto end = data.begin() + static_cast<long>(std::min(at + 253, data.size()));
            write.insert(write.end(), data.begin() + static_cast<long>(at), end);
            EXPECT_EQ(Reply(write), Bytes{0x81});
        }
    }
    // The controller's address, read back from its three registers.
    uint32_t Address() {
        const Bytes reply = Reply({0x48, 1, 2, 3});
        EXPECT_EQ(reply.size(), 7u);
        if (reply.size() != 7) {
            return 0xFFFFFFFFu;
        }
        return static_cast<uint32_t>(reply[2] | reply[4] << 8 | reply[6] << 16);
    }
    // `count` RAM bytes from `address`, in compact reads.
    Bytes ReadRam(uint32_t address, size_t count) {
        EXPECT_EQ(
            Reply({0x45, 1, static_cast<uint8_t>(address), 2, static_cast<uint8_t>(address >> 8), 3,
                   static_cast<uint8_t>(address >> 16)}),
            Bytes{0x81});
        Bytes bytes;
        while (bytes.size() < count) {
            const auto n = static_cast<uint8_t>(std::min<size_t>(254, count - bytes.size()));
            const Bytes reply = Reply({0x49, kRegRamData, n});
            EXPECT_EQ(reply.size(), n + 1u);
            if (reply.size() != n + 1u) {
                return bytes;
            }
            bytes.insert(bytes.end(), reply.begin() + 1, reply.end());
        }
        return bytes;
    }

    std::unique_ptr<BoardProcess> process;
    int fd = -1;
};

TEST_F(RtlFrameTest, FastBoardAnnouncesItsWindowFrameLengthAndFlash) {
    Start({"--flash", "16m"});
    const Bytes reply = Reply({0x41});
    ASSERT_FALSE(reply.empty());
    EXPECT_EQ(reply[0], 0x82);
    EXPECT_EQ(std::string(reply.begin() + 1, reply.end()),
              "Tessary RTL controller {fast w=4 m=255 f=1000000 x=cfr}");
}

TEST_F(RtlFrameTest, BasicBoardAnnouncesNothingAndRefusesLongFrames) {
    Start({"--protocol", "basic"});
    const Bytes reply = Reply({0x41});
    EXPECT_EQ(std::string(reply.begin() + 1, reply.end()), "Tessary RTL controller");
    Bytes write{0x44, kRegRamData};
    const Bytes data = Pattern(64, 1);
    write.insert(write.end(), data.begin(), data.end());
    EXPECT_EQ(Reply({0x45, 1, 0, 2, 0, 3, 0}), Bytes{0x81});
    EXPECT_TRUE(Reply(write).empty()); // 66 payload bytes
    EXPECT_TRUE(Reply({0x49, kRegRamData, 4}).empty());
    // Nor does it compute on its side.
    EXPECT_TRUE(Reply(CountRequest(0x4A, kRegRamData, 4)).empty());
    EXPECT_TRUE(Reply(FillRequest(kRegRamData, 0x55, 4)).empty());
    EXPECT_TRUE(Reply(CountRequest(0x4C, kRegRamData, 4)).empty());
    // 0x47 with its filler: the refused write left the RAM alone.
    const Bytes values = Reply({0x47, 4, kRegRamData, 0, 0, 0, 0});
    EXPECT_EQ(values, (Bytes{0x85, 0, 0, 0, 0}));
}

TEST_F(RtlFrameTest, LongWritesAndCompactReadsRoundTrip) {
    Start({});
    const Bytes data = Pattern(253, 3);
    Bytes write{0x44, kRegRamData};
    write.insert(write.end(), data.begin(), data.end());
    EXPECT_EQ(Reply({0x45, 1, 0xFE, 2, 0xFF, 3, 0xFF}), Bytes{0x81});
    EXPECT_EQ(Reply(write), Bytes{0x81});
    // The address ran on through 0xFFFFFF to 0.
    EXPECT_EQ(ReadRam(0xFFFFFE, 2), Bytes(data.begin(), data.begin() + 2));
    EXPECT_EQ(ReadRam(0, 251), Bytes(data.begin() + 2, data.end()));
    // A list read of 127 registers is the longest reply: 255 payload bytes.
    Bytes list{0x48};
    list.insert(list.end(), 127, 0x01);
    const Bytes listed = Reply(list);
    ASSERT_EQ(listed.size(), 255u);
    EXPECT_EQ(listed[1], 0x01);
    list.push_back(0x01); // one more would not fit a reply
    EXPECT_TRUE(Reply(list).empty());
}

// The CRC of bytes read through the RAM data register (a count of more than one byte), the
// address after them; a fill whose count takes all three bytes, checked by its CRC and its end.
TEST_F(RtlFrameTest, ChecksumAndFillOfRam) {
    Start({});
    const Bytes data = Pattern(2000, 4);
    WriteRam(0x3000, data);
    EXPECT_EQ(Exchange(SetAddress(0x3000)), Frame({0x81}));
    EXPECT_EQ(Answer(CountRequest(0x4A, kRegRamData, 2000)),
              ChecksumReply(Crc32Of(data.data(), data.size())));
    EXPECT_EQ(Address(), 0x3000u + 2000u);

    EXPECT_EQ(Exchange(SetAddress(0x10000)), Frame({0x81}));
    EXPECT_EQ(Answer(FillRequest(kRegRamData, 0x5A, 70000)), Bytes{0x81});
    EXPECT_EQ(Address(), 0x10000u + 70000u);
    EXPECT_EQ(ReadRam(0x10000 + 70000 - 3, 6), (Bytes{0x5A, 0x5A, 0x5A, 0, 0, 0}));
    EXPECT_EQ(Exchange(SetAddress(0x10000)), Frame({0x81}));
    EXPECT_EQ(Answer(CountRequest(0x4A, kRegRamData, 70000)),
              ChecksumReply(Crc32OfRepeated(0x5A, 70000)));
    // A count of 0 is not a request: no reply, nothing moves.
    EXPECT_TRUE(Reply(CountRequest(0x4A, kRegRamData, 0)).empty());
    EXPECT_TRUE(Reply(FillRequest(kRegRamData, 0x11, 0)).empty());
    EXPECT_TRUE(Reply(CountRequest(0x4C, kRegRamData, 0)).empty());
    EXPECT_EQ(Address(), 0x10000u + 70000u);
}

// A read whose data is mostly runs comes back in a few bytes and stands for all it was asked;
// one without runs is cut to what a reply holds, and the next read goes on where it stopped.
TEST_F(RtlFrameTest, RunLengthReadsStandForTheRamAndStopWhereTheirReplyIsFull) {
    Start({});
    const Bytes head = Pattern(100, 5);
    WriteRam(0x20000, head);
    EXPECT_EQ(Answer(FillRequest(kRegRamData, 0xFF, 1000)), Bytes{0x81});
    Bytes expected = head;
    expected.resize(5000, 0x00);
    std::fill(expected.begin() + 100, expected.begin() + 1100, 0xFF);
    EXPECT_EQ(Exchange(SetAddress(0x20000)), Frame({0x81}));
    const Bytes runs = Answer(CountRequest(0x4C, kRegRamData, 5000));
    EXPECT_EQ(Decoded(runs), expected);
    EXPECT_LT(runs.size(), 200u);
    EXPECT_EQ(Address(), 0x20000u + 5000u);

    const Bytes literal = Pattern(600, 6);
    WriteRam(0x30000, literal);
    EXPECT_EQ(Exchange(SetAddress(0x30000)), Frame({0x81}));
    const Bytes first = Answer(CountRequest(0x4C, kRegRamData, 600));
    const Bytes part = Decoded(first);
    EXPECT_LE(first.size(), 255u);
    ASSERT_FALSE(part.empty());
    ASSERT_LT(part.size(), 600u);
    EXPECT_EQ(part, Bytes(literal.begin(), literal.begin() + static_cast<long>(part.size())));
    EXPECT_EQ(Address(), 0x30000u + part.size());
    const Bytes rest = Decoded(Answer(CountRequest(0x4C, kRegRamData, 100)));
    EXPECT_EQ(rest, Bytes(literal.begin() + static_cast<long>(part.size()),
                          literal.begin() + static_cast<long>(part.size() + 100)));
}

TEST_F(RtlFrameTest, WrongChecksumGetsNoReplyAndWritesNothing) {
    Start({});
    Bytes bad = Frame({0x44, kRegRamData, 0x11, 0x22});
    bad.back() ^= 0x01;
    EXPECT_TRUE(Exchange(bad).empty());
    EXPECT_EQ(ReadRam(0, 2), (Bytes{0, 0}));
}

// Frames that hold the engine longest for their length: list reads answer with twice the bytes
// they ask with; a long write follows every three.
Bytes Window(size_t requests, Bytes& expectedReplies, Bytes& written) {
    Bytes stream = SetAddress(0x1000);
    expectedReplies = Frame({0x81});
    Bytes list{0x48};
    list.insert(list.end(), 127, 0x04); // the Flash command register: 0xFF after reset
    Bytes listReply{0x84};
    for (int i = 0; i < 127; ++i) {
        listReply.insert(listReply.end(), {0x04, 0xFF});
    }
    for (size_t i = 0; i < requests; ++i) {
        const bool isList = i % 4 != 3;
        const Bytes frame = isList ? Frame(list) : Bytes{};
        Bytes payload{0x44, kRegRamData};
        const Bytes data = Pattern(200, static_cast<uint8_t>(i));
        payload.insert(payload.end(), data.begin(), data.end());
        if (isList) {
            stream.insert(stream.end(), frame.begin(), frame.end());
            const Bytes reply = Frame(listReply);
            expectedReplies.insert(expectedReplies.end(), reply.begin(), reply.end());
        } else {
            const Bytes write = Frame(payload);
            stream.insert(stream.end(), write.begin(), write.end());
            const Bytes reply = Frame({0x81});
            expectedReplies.insert(expectedReplies.end(), reply.begin(), reply.end());
            written.insert(written.end(), data.begin(), data.end());
        }
    }
    return stream;
}

TEST_F(RtlFrameTest, AnnouncedWindowIsServedInOrder) {
    Start({});
    // Four requests in flight: the host sends the next one when the first reply is complete.
    Bytes expected;
    Bytes written;
    const Bytes stream = Window(16, expected, written);
    Bytes back;
    size_t frameStart = 0;
    // Send in windows of 4 frames; each window waits for its own replies.
    std::vector<size_t> bounds{0};
    for (size_t at = 0; at < stream.size(); at += stream[at] + 2u) {
        bounds.push_back(at + stream[at] + 2u);
    }
    for (size_t first = 0; first + 1 < bounds.size(); first += 4) {
        const size_t last = std::min(first + 4, bounds.size() - 1);
        const Bytes part(stream.begin() + static_cast<long>(bounds[first]),
                         stream.begin() + static_cast<long>(bounds[last]));
        const Bytes replies = Exchange(part, 100);
        back.insert(back.end(), replies.begin(), replies.end());
        frameStart = last;
    }
    EXPECT_EQ(frameStart, bounds.size() - 1);
    EXPECT_EQ(back, expected);
    EXPECT_EQ(ReadRam(0x1000, written.size()), written);
}

TEST_F(RtlFrameTest, WindowLargerThanTheReceiveFifoFailsCleanly) {
    Start({});
    Bytes expected;
    Bytes written;
    const Bytes stream = Window(32, expected, written);
    const Bytes back = Exchange(stream, 500);
    // Replies stop; those that came are the right ones, in order.
    ASSERT_LT(back.size(), expected.size());
    EXPECT_EQ(back, Bytes(expected.begin(), expected.begin() + static_cast<long>(back.size())));
    // Memory holds the writes of a prefix of the requests, exactly, and nothing after it.
    const Bytes memory = ReadRam(0x1000, written.size() + 16);
    size_t intact = 0;
    while (intact < written.size() && memory[intact] == written[intact]) {
        ++intact;
    }
    EXPECT_EQ(intact % 200, 0u);
    EXPECT_EQ(Bytes(memory.begin() + static_cast<long>(intact), memory.end()),
              Bytes(memory.size() - intact, 0));
    // The board is in step again.
    EXPECT_EQ(Reply({0x40}), Bytes{0x81});
}

// A window of three writes whose first has a bad checksum: none of them may land (the later ones
// would land at the addresses of those before them), no reply comes, and once the line has been
// quiet the board answers again.
TEST_F(RtlFrameTest, LineErrorInsideAWindowLeavesAnExactPrefix) {
    Start({});
    Bytes stream = SetAddress(0x2000);
    for (uint8_t i = 0; i < 3; ++i) {
        Bytes payload{0x44, kRegRamData};
        const Bytes data = Pattern(100, i);
        payload.insert(payload.end(), data.begin(), data.end());
        Bytes frame = Frame(payload);
        if (i == 0) {
            frame.back() ^= 0x01;
        }
        stream.insert(stream.end(), frame.begin(), frame.end());
    }
    EXPECT_EQ(Exchange(stream), Frame({0x81}));
    EXPECT_EQ(ReadRam(0x2000, 300), Bytes(300, 0));
    EXPECT_EQ(Reply({0x40}), Bytes{0x81});
}

// The chip takes 10 us to program a byte (the board's default) and ignores writes meanwhile: a
// frame of 64 bytes lands whole, and the status reads ready without errors.
TEST_F(RtlFrameTest, FlashFrameLandsOnAChipOfRealTiming) {
    Start({"--program-us", "10", "--time-scale", "1"});
    const Bytes data = Pattern(64, 9);
    Bytes write{0x44, kRegFlashData};
    write.insert(write.end(), data.begin(), data.end());
    EXPECT_EQ(Reply({0x45, 1, 0x00, 2, 0x30, 3, 0x00}), Bytes{0x81});
    EXPECT_EQ(Reply(write), Bytes{0x81});
    EXPECT_EQ(Reply({0x45, kRegControl, 0xF6}), Bytes{0x81});
    EXPECT_EQ(Reply({0x46, kRegFlashStatus}), (Bytes{0x83, kRegFlashStatus, 0x80}));
    // Read array, then the bytes back.
    EXPECT_EQ(Reply({0x45, kRegFlashCommand, 0xFF, kRegControl, 0xF5, kRegControl, 0xF7}),
              Bytes{0x81});
    EXPECT_EQ(Reply({0x45, 1, 0x00, 2, 0x30, 3, 0x00}), Bytes{0x81});
    Bytes expected{0x85};
    expected.insert(expected.end(), data.begin(), data.end());
    EXPECT_EQ(Reply({0x49, kRegFlashData, 64}), expected);
}

// A fill of Flash goes through the program path on a chip of real timing, on either bus: every
// byte lands (on a serial chip, in page programs split at the page's end, which the chip would
// otherwise wrap), the status reads ready without errors, and the CRC and a run-length read of
// the range agree.
TEST_F(RtlFrameTest, FlashFillChecksumAndRunsOnAChipOfRealTiming) {
    const std::vector<std::string> buses[] = {
        {"--program-us", "10", "--time-scale", "1"},
        {"--flash-bus", "spi", "--time-scale", "0.01"},
    };
    for (const std::vector<std::string>& bus : buses) {
        SCOPED_TRACE(bus[0]);
        Start(bus);
        // From 0x3FF0 on, 300 bytes: across the serial chip's pages at 0x4000 and 0x4100.
        EXPECT_EQ(Reply({0x45, 1, 0xF0, 2, 0x3F, 3, 0x00}), Bytes{0x81});
        EXPECT_EQ(Answer(FillRequest(kRegFlashData, 0x00, 300)), Bytes{0x81});
        EXPECT_EQ(Reply({0x45, kRegControl, 0xF6}), Bytes{0x81});
        EXPECT_EQ(Reply({0x46, kRegFlashStatus}), (Bytes{0x83, kRegFlashStatus, 0x80}));
        EXPECT_EQ(Reply({0x45, kRegFlashCommand, 0xFF, kRegControl, 0xF5, kRegControl, 0xF7, 1,
                         0xF0, 2, 0x3F, 3, 0x00}),
                  Bytes{0x81});
        EXPECT_EQ(Answer(CountRequest(0x4A, kRegFlashData, 300)),
                  ChecksumReply(Crc32OfRepeated(0x00, 300)));
        EXPECT_EQ(Reply({0x45, 1, 0xF0, 2, 0x3F, 3, 0x00}), Bytes{0x81});
        Bytes expected(300, 0x00);
        expected.resize(600, 0xFF);
        EXPECT_EQ(Decoded(Answer(CountRequest(0x4C, kRegFlashData, 600))), expected);
    }
}

// A block erase keeps the chip busy for its time (2 s for the 128K block here, passing in real
// time while the line is quiet): its status reads busy, a byte programmed meanwhile is ignored by
// the chip and the controller's wait for it runs out (program error and time-out bits kept), and
// once ready the block reads erased. The steps during the erase wait for short quiet times only.
TEST_F(RtlFrameTest, EraseKeepsTheChipBusyAndDeafForItsTime) {
    Start({"--flash", "16m", "--busy-reads", "0", "--erase-ms", "2000", "--time-scale", "1"});
    const Bytes done = Frame({0x81});
    EXPECT_EQ(Exchange(Frame({0x45, 1, 0x10, 2, 0x00, 3, 0x02, kRegFlashCommand, 0x20, kRegControl,
                              0xF5, kRegControl, 0xF7, kRegFlashCommand, 0xD0, kRegControl, 0xF5,
                              kRegControl, 0xF7}),
                       50),
              done);
    EXPECT_EQ(Exchange(Frame({0x43, kRegFlashData, 0x00}), 150), done);
    EXPECT_EQ(Exchange(Frame({0x43, kRegControl, 0xF6}), 50), done);
    const Bytes poll = Frame({0x46, kRegFlashStatus});
    Bytes reply = Exchange(poll, 50);
    ASSERT_EQ(reply.size(), 5u);
    EXPECT_EQ(reply[3], 0x11); // busy, with the kept bits of the refused program
    int polls = 0;
    while (reply.size() == 5 && (reply[3] & 0x80) == 0 && ++polls < 1000) {
        reply = Exchange(poll, 50);
    }
    ASSERT_EQ(reply.size(), 5u);
    EXPECT_EQ(reply[3], 0x91);
    EXPECT_EQ(Reply({0x45, kRegFlashCommand, 0xFF, kRegControl, 0xF5, kRegControl, 0xF7, 1, 0x10, 2,
                     0x00, 3, 0x02}),
              Bytes{0x81});
    EXPECT_EQ(Reply({0x49, kRegFlashData, 4}), (Bytes{0x85, 0xFF, 0xFF, 0xFF, 0xFF}));
}

} // namespace
} // namespace tessary::test
