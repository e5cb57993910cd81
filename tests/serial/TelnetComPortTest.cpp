// The Telnet layer of an RFC 2217 line: what the client sends, how data bytes are told from
// commands however the server's bytes are cut, and which requests are answered.
#include "TelnetComPort.h"

#include <gtest/gtest.h>

namespace tessary {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(TelnetComPortTest, OpeningSetsBaudAndTheLineFormat) {
    TelnetComPort telnet;
    const Bytes opening = telnet.Open(3'000'000);
    const Bytes baud = {255, 250, 44, 1, 0x00, 0x2D, 0xC6, 0xC0, 255, 240};
    EXPECT_NE(std::search(opening.begin(), opening.end(), baud.begin(), baud.end()), opening.end());
    for (const Bytes& setting :
         {Bytes{255, 250, 44, 2, 8, 255, 240}, Bytes{255, 250, 44, 3, 1, 255, 240},
          Bytes{255, 250, 44, 4, 1, 255, 240}, Bytes{255, 250, 44, 5, 1, 255, 240},
          Bytes{255, 251, 44}, Bytes{255, 251, 0}, Bytes{255, 253, 0}}) {
        EXPECT_NE(std::search(opening.begin(), opening.end(), setting.begin(), setting.end()),
                  opening.end())
            << testing::PrintToString(setting);
    }
}

TEST(TelnetComPortTest, ABaudRateHoldingAnIacByteIsEscaped) {
    TelnetComPort telnet;
    const Bytes opening = telnet.Open(0x0001C2FF);
    const Bytes baud = {255, 250, 44, 1, 0x00, 0x01, 0xC2, 0xFF, 0xFF, 255, 240};
    EXPECT_NE(std::search(opening.begin(), opening.end(), baud.begin(), baud.end()), opening.end());
}

TEST(TelnetComPortTest, DataFullOfIacBytesSurvivesBothWays) {
    const Bytes data = {0xFF, 0x01, 0xFF, 0xFF, 0x7E, 0xFF};
    Bytes wire;
    TelnetComPort::Escape(data.data(), data.size(), wire);
    EXPECT_EQ(wire, (Bytes{0xFF, 0xFF, 0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0x7E, 0xFF, 0xFF}));
    // Back, one byte per call: an IAC pair cut in two still gives one data byte.
    TelnetComPort telnet;
    Bytes received;
    Bytes answers;
    for (const uint8_t b : wire) {
        telnet.Take(&b, 1, received, answers);
    }
    EXPECT_EQ(received, data);
    EXPECT_TRUE(answers.empty());
}

TEST(TelnetComPortTest, CommandsAndReportsNeverReachTheData) {
    TelnetComPort telnet;
    (void)telnet.Open(115200);
    const Bytes server = {0x01, 255, 253, 0,  255, 251, 0,   0x02, 255,  250,
                          44,   101, 0,   1,  194, 0,   255, 240,  0x03, 255,
                          241,  255, 250, 44, 107, 255, 255, 255,  240,  0x04};
    Bytes data;
    Bytes answers;
    telnet.Take(server.data(), server.size(), data, answers);
    EXPECT_EQ(data, (Bytes{0x01, 0x02, 0x03, 0x04}));
    EXPECT_TRUE(answers.empty()); // DO/WILL BINARY only confirm what the client asked for
}

TEST(TelnetComPortTest, UnknownOptionsAreRefusedOnceAndTurnedOffOptionsConfirmed) {
    TelnetComPort telnet;
    (void)telnet.Open(115200);
    const Bytes server = {255, 253, 24, 255, 251, 1, 255, 254, 0, 255, 254, 0};
    Bytes data;
    Bytes answers;
    telnet.Take(server.data(), server.size(), data, answers);
    EXPECT_TRUE(data.empty());
    EXPECT_EQ(answers, (Bytes{255, 252, 24, 255, 254, 1, 255, 252, 0}));
}

} // namespace
} // namespace tessary
