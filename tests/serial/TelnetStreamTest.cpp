// A Telnet line takes more off its connection than one read asks for: replies that arrive
// together wait, decoded, in the stream while the socket has nothing new. They must be read at
// once, never waited for by a poll that nothing more will wake. The test plays the serial server
// on a loopback socket.
#include "TelnetStream.h"
#include "NetworkLine.h"
#include "PtyPeer.h"
#include "SerialLine.h"
#include "TcpStream.h"
#include "TelnetComPort.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace tessary {
namespace {

using test::Bytes;
using test::Frame;

constexpr uint8_t kIac = 255;
constexpr uint8_t kWill = 251;
// An option no client agrees to: the stream refuses it, writing its answer while it reads.
constexpr uint8_t kUnknownOption = 99;

// A serial server on the loopback interface that takes one connection.
class LoopbackServer {
  public:
    LoopbackServer() {
        listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof(address);
        if (bind(listener_, reinterpret_cast<sockaddr*>(&address), size) == 0 &&
            listen(listener_, 1) == 0 &&
            getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size) == 0) {
            port_ = std::to_string(ntohs(address.sin_port));
        }
    }
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;
    ~LoopbackServer() {
        if (peer_ >= 0) {
            close(peer_);
        }
        close(listener_);
    }

    const std::string& Port() const { return port_; }
    bool Accept() {
        peer_ = accept(listener_, nullptr, nullptr);
        return peer_ >= 0;
    }
    // All of `bytes` in one write: the client finds them together on its socket.
    bool Send(const Bytes& bytes) {
        return send(peer_, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
               static_cast<ssize_t>(bytes.size());
    }

  private:
    int listener_ = -1;
    int peer_ = -1;
    std::string port_;
};

// A frame as a Telnet server sends it, every 0xFF doubled.
Bytes Escaped(const Bytes& frame) {
    Bytes wire;
    TelnetComPort::Escape(frame.data(), frame.size(), wire);
    return wire;
}

Bytes Joined(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

TEST(TelnetStreamTest, BytesTakenOffTheConnectionAreReadableWithoutAPoll) {
    LoopbackServer server;
    ASSERT_FALSE(server.Port().empty());
    NetworkLine name{NetworkLine::Kind::Rfc2217, "127.0.0.1", server.Port()};
    std::unique_ptr<TcpStream> connection = TcpStream::Connect(name, 3000);
    ASSERT_TRUE(connection);
    std::unique_ptr<TelnetStream> stream = TelnetStream::Open(std::move(connection), 115200);
    ASSERT_TRUE(stream);
    ASSERT_TRUE(server.Accept());
    ASSERT_TRUE(server.Send({7, kIac, kWill, kUnknownOption, 8, 9}));

    ASSERT_EQ(stream->WaitReadable(-1), ByteStream::Readiness::Ready);
    uint8_t byte = 0;
    ASSERT_EQ(stream->Read(&byte, 1), 1);
    EXPECT_EQ(byte, 7);
    // The socket is empty now; what is left was decoded already. A wait that does not look
    // would find nothing.
    EXPECT_EQ(stream->WaitReadable(0), ByteStream::Readiness::Ready);
    uint8_t rest[4] = {};
    ASSERT_EQ(stream->Read(rest, sizeof(rest)), 2);
    EXPECT_EQ(rest[0], 8);
    EXPECT_EQ(rest[1], 9);
    EXPECT_EQ(stream->WaitReadable(0), ByteStream::Readiness::Nothing);
    EXPECT_FALSE(stream->HungUp());
}

TEST(TelnetStreamTest, RepliesThatArriveTogetherReachTheLineOneFrameAtATime) {
    LoopbackServer server;
    ASSERT_FALSE(server.Port().empty());
    SerialLine line;
    line.Initialize();
    ASSERT_TRUE(line.Open(("rfc2217://127.0.0.1:" + server.Port()).c_str()));
    ASSERT_TRUE(server.Accept());
    ASSERT_TRUE(server.Send(Joined({Frame({0x83, 0x00, 0x42}), Bytes{kIac, kWill, kUnknownOption},
                                    Escaped(Frame({0x83, 0x00, kIac}))})));

    uint8_t buffer[68] = {};
    int length = 0;
    ASSERT_TRUE(line.ReceiveFrame(65, length, buffer)) << line.FailureText();
    EXPECT_EQ(length, 3);
    EXPECT_EQ(buffer[2], 0x42);
    // Nothing new reaches the socket: the second reply is in the stream already.
    ASSERT_TRUE(line.ReceiveFrame(65, length, buffer)) << line.FailureText();
    EXPECT_EQ(length, 3);
    EXPECT_EQ(buffer[2], kIac);
}

} // namespace
} // namespace tessary
