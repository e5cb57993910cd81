// Load with verify and store, byte-exact, over every road to a board and every way of speaking to
// it: a pseudo-terminal or ser2net (raw TCP, RFC 2217) in front of tessary-board, the basic or the
// fast protocol, 1, 2 or 8 requests in flight, 115200 or 3,000,000 baud (paced by the board).
#include "BoardProcess.h"
#include "LoadOperations.h"
#include "MemoryController.h"
#include "PortFactory.h"
#include "RecordingSinks.h"
#include "Ser2netProcess.h"
#include "SerialLine.h"
#include "SerialPort.h"
#include "Session.h"
#include "StoreOperations.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <chrono>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

namespace tessary::test {
namespace {

namespace fs = std::filesystem;

enum class Road { Pty, Raw, Rfc2217 };

struct Case {
    Road road;
    bool fast;
    int32_t window;
    uint32_t baud;
};

std::string Name(const testing::TestParamInfo<Case>& info) {
    const Case& c = info.param;
    const char* road = c.road == Road::Pty ? "Pty" : c.road == Road::Raw ? "Tcp" : "Rfc2217";
    return std::string(road) + (c.fast ? "Fast" : "Basic") + "W" + std::to_string(c.window) + "At" +
           std::to_string(c.baud);
}

// A board, the road to it, a file to load and the session pointing at it all.
class SerialRoad {
  public:
    SerialRoad(Road road, const std::vector<std::string>& options) : board_(options) {
        session.interfaceType = kInterfaceSerial;
        session.deviceName = board_.Path();
        if (road != Road::Pty) {
            ser2net_ = std::make_unique<Ser2netProcess>(
                board_.Path(),
                road == Road::Raw ? Ser2netProcess::Mode::Raw : Ser2netProcess::Mode::Rfc2217);
            session.deviceName = ser2net_->Url();
        }
    }

    Session session;

  private:
    BoardProcess board_;
    std::unique_ptr<Ser2netProcess> ser2net_;
};

class FilesTest {
  protected:
    void MakeFiles(const std::string& contents) {
        dir = fs::path(testing::TempDir()) /
              ("serial-window-" + std::to_string(getpid()) + "-" +
               std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        input = (dir / "in.bin").string();
        output = (dir / "out.bin").string();
        std::ofstream(input, std::ios::binary) << contents;
    }
    std::string Output() const {
        std::ifstream in(output, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    LoadRequest Load(int32_t address) const {
        LoadRequest request;
        request.fileName = input;
        request.startAddress = address;
        request.verify = true;
        request.autoErase = true;
        return request;
    }
    StoreRequest Store(int32_t address, int32_t length) const {
        StoreRequest request;
        request.path = output;
        request.startAddress = address;
        request.length = length;
        request.mode = OutputMode::Replace;
        return request;
    }

    fs::path dir;
    std::string input;
    std::string output;
    RecordingStatus status;
    RecordingMessages messages;
};

bool NeedsSer2net(Road road) {
    return road != Road::Pty && Ser2netProcess::Executable().empty();
}

constexpr const char* kNoSer2net =
    "ser2net is not installed: scripts/install-deps.sh installs it (Debian package ser2net)";

class SerialWindowTest : public FilesTest, public testing::TestWithParam<Case> {
  protected:
    void TearDown() override { fs::remove_all(dir); }
};

TEST_P(SerialWindowTest, LoadWithVerifyAndStoreRoundTrip) {
    const Case c = GetParam();
    if (NeedsSer2net(c.road)) {
        GTEST_SKIP() << kNoSer2net;
    }
    // Small at the slow rate, past one 8192-byte block at the fast one.
    const size_t size = c.baud <= 115200 ? 700 : 9000;
    std::string contents(size, '\0');
    for (size_t i = 0; i < size; ++i) {
        contents[i] = static_cast<char>((i * 131 + (i >> 8)) & 0xFF);
    }
    MakeFiles(contents);
    SerialRoad road(c.road,
                    {"--baud", std::to_string(c.baud), "--protocol", c.fast ? "fast" : "basic"});
    road.session.serialBaud = c.baud;
    road.session.serialWindow = c.window;

    LoadRamOperation(road.session, Load(0x4321), status, messages);
    ASSERT_TRUE(messages.texts.empty()) << messages.texts.front();
    ASSERT_EQ(status.Last(), "RAM load complete. Total bytes transferred: " + std::to_string(size));
    StoreRamToFile(road.session, Store(0x4321, static_cast<int32_t>(size)), status, messages);
    ASSERT_TRUE(messages.texts.empty()) << messages.texts.front();
    EXPECT_EQ(Output(), contents);
}

std::vector<Case> AllCases() {
    std::vector<Case> cases;
    for (const Road road : {Road::Pty, Road::Raw, Road::Rfc2217}) {
        for (const bool fast : {false, true}) {
            for (const int32_t window : {1, 2, 8}) {
                for (const uint32_t baud : {115200u, 3000000u}) {
                    cases.push_back({road, fast, window, baud});
                }
            }
        }
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Roads, SerialWindowTest, testing::ValuesIn(AllCases()), Name);

class SerialRoadTest : public FilesTest, public testing::Test {
  protected:
    void TearDown() override { fs::remove_all(dir); }
};

TEST_F(SerialRoadTest, FlashRoundTripWithTheFastProtocolAndAFullWindow) {
    std::string contents(12000, '\0');
    for (size_t i = 0; i < contents.size(); ++i) {
        contents[i] = static_cast<char>(i * 13 + 5);
    }
    MakeFiles(contents);
    SerialRoad road(Road::Pty, {"--busy-reads", "3"});
    LoadFlashOperation(road.session, Load(0x78000 - 6000), status, messages);
    ASSERT_TRUE(messages.texts.empty()) << messages.texts.front();
    StoreFlashToFile(road.session, Store(0x78000 - 6000, 12000), status, messages);
    ASSERT_TRUE(messages.texts.empty()) << messages.texts.front();
    EXPECT_EQ(Output(), contents);
}

TEST_F(SerialRoadTest, AWindowLargerThanTheBoardHoldsFailsAndLeavesTheFileAlone) {
    // The board's receiver holds 16 bytes; eight compact reads in flight overflow it. (Its RAM
    // holds zeros, which a board reading runs would send in one reply: it reads none here.)
    MakeFiles("");
    std::ofstream(output, std::ios::binary) << "what the file held";
    SerialRoad road(Road::Pty, {"--baud", "115200", "--rx-buffer", "16", "--extensions", "none"});
    road.session.serialWindow = 8;
    StoreRamToFile(road.session, Store(0, 3000), status, messages);
    EXPECT_EQ(status.Last(), kStoreRamTexts.errorStatus);
    EXPECT_EQ(Output(), "what the file held");
}

TEST_F(SerialRoadTest, TheBoardsOwnWindowNeverOverflowsIt) {
    // The same board announces the one request it can hold; taken from it, the store succeeds.
    MakeFiles("");
    SerialRoad road(Road::Pty, {"--baud", "115200", "--rx-buffer", "16"});
    StoreRamToFile(road.session, Store(0, 600), status, messages);
    ASSERT_TRUE(messages.texts.empty()) << messages.texts.front();
    EXPECT_EQ(Output(), std::string(600, '\0'));
}

TEST_F(SerialRoadTest, Rfc2217CarriesDataFullOfIacBytes) {
    if (NeedsSer2net(Road::Rfc2217)) {
        GTEST_SKIP() << kNoSer2net;
    }
    std::string contents(5000, '\xFF');
    for (size_t i = 0; i < contents.size(); i += 7) {
        contents[i] = static_cast<char>(i & 0xFF);
    }
    MakeFiles(contents);
    // The register base 0xF8 puts 0xFF in every register address as well.
    SerialRoad road(Road::Rfc2217, {"--register-base", "0xF8"});
    road.session.registerBase = 0xF8;
    road.session.memoryConfiguration = 6; // Parvel: 16 MB of RAM
    LoadRamOperation(road.session, Load(0x1000000 - 5000), status, messages);
    ASSERT_TRUE(messages.texts.empty()) << messages.texts.front();
    StoreRamToFile(road.session, Store(0x1000000 - 5000, 5000), status, messages);
    ASSERT_TRUE(messages.texts.empty()) << messages.texts.front();
    EXPECT_EQ(Output(), contents);
}

TEST_F(SerialRoadTest, ARefusedConnectionIsAnOpenFailureThatSaysSo) {
    Session session;
    session.interfaceType = kInterfaceSerial;
    session.deviceName = "tcp://127.0.0.1:" + std::to_string(FreeTcpPort());
    const BuiltPort built = BuildPort(session);
    ASSERT_TRUE(built.port);
    MemoryController controller(session, *built.port);
    EXPECT_FALSE(controller.Connect(session.deviceName.c_str()));
    EXPECT_NE(controller.ConnectFailureText().find("connection refused"), std::string::npos)
        << controller.ConnectFailureText();
}

TEST_F(SerialRoadTest, AServerThatHangsUpEndsTheExchangeAtOnceAndNeverKillsTheHost) {
    // A listener that takes the connection and closes it again.
    const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof(address);
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), size), 0);
    ASSERT_EQ(listen(listener, 1), 0);
    ASSERT_EQ(getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size), 0);
    std::thread server([listener] {
        const int client = accept(listener, nullptr, nullptr);
        if (client >= 0) {
            close(client);
        }
    });
    SerialLine line;
    SerialPort port;
    line.Initialize();
    port.Initialize(line);
    const std::string url = "tcp://127.0.0.1:" + std::to_string(ntohs(address.sin_port));
    ASSERT_TRUE(port.OpenPath(url.c_str()));
    server.join();
    close(listener);
    // The first request finds the connection closed when its reply is due; the later ones find
    // it closed when they are written (a SIGPIPE there would end this test program). Each names
    // the hang-up as its cause and ends well inside the reply's allowance (1000 ms + 10 ms a
    // byte), not by it; how soon is serial_hangup_bench's.
    for (int i = 0; i < 3; ++i) {
        const auto start = std::chrono::steady_clock::now();
        bool present = true;
        EXPECT_FALSE(port.Probe(present));
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
        EXPECT_EQ(port.ErrorCode(), kErrLineHungUp);
    }
    port.Close();
}

} // namespace
} // namespace tessary::test
