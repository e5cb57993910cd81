// A board that announces nothing sees, with one request in flight, exactly the frames it always
// saw, in the same strict turn of request and reply: the log of a `--protocol basic` board is
// compared with one recorded before the fast protocol and the window existed, to which only the
// read-back of each operation's first address (the register-base check) was added since.
#include "BoardProcess.h"
#include "LoadOperations.h"
#include "RecordingSinks.h"
#include "Session.h"
#include "StoreOperations.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace tessary::test {
namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The frames of the log, one line each ("<- 01 40 BF", "-> 01 81 7E").
std::string Frames(const std::string& log) {
    std::istringstream lines(log);
    std::string line;
    std::string frames;
    const std::string prefix = "tessary-board: ";
    while (std::getline(lines, line)) {
        if (line.rfind(prefix + "<-", 0) == 0 || line.rfind(prefix + "->", 0) == 0) {
            frames += line.substr(prefix.size()) + "\n";
        }
    }
    return frames;
}

TEST(SerialTranscriptTest, ABasicBoardSeesTodaysFramesInTodaysOrder) {
    const fs::path dir = fs::path(testing::TempDir()) / "serial-transcript";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const fs::path log = dir / "board.log";
    std::string contents(150, '\0');
    for (size_t i = 0; i < contents.size(); ++i) {
        contents[i] = static_cast<char>(i * 7 + 3);
    }
    std::ofstream(dir / "in.bin", std::ios::binary) << contents;
    {
        // The recording counts the status polls of an erase: the chip takes no time of its own.
        BoardProcess board(
            {"--protocol", "basic", "--busy-reads", "2", "--time-scale", "0", "--verbose"},
            log.string());
        Session session;
        session.interfaceType = kInterfaceSerial;
        session.deviceName = board.Path();
        RecordingStatus status;
        RecordingMessages messages;

        LoadRequest load;
        load.fileName = (dir / "in.bin").string();
        load.startAddress = 0x1234;
        load.verify = true;
        load.autoErase = true;
        // The recording is of the erase and program frames alone, from before Flash loads kept
        // the rest of their blocks.
        load.preserve = false;
        LoadRamOperation(session, load, status, messages);
        ASSERT_EQ(status.Last(), "RAM load complete. Total bytes transferred: 150");
        LoadFlashOperation(session, load, status, messages);
        ASSERT_TRUE(messages.texts.empty()) << messages.texts.front();

        StoreRequest store;
        store.path = (dir / "out.bin").string();
        store.startAddress = 0x1234;
        store.length = 130;
        store.mode = OutputMode::Replace;
        StoreRamToFile(session, store, status, messages);
        ASSERT_TRUE(messages.texts.empty()) << messages.texts.front();
        ASSERT_EQ(ReadText(dir / "out.bin"), contents.substr(0, 130));
        board.Stop(SIGTERM);
    }
    const std::string expected = ReadText(fs::path(TESSARY_E2E_DATA) / "basic-w1.transcript");
    const std::string actual = Frames(ReadText(log));
    ASSERT_FALSE(expected.empty());
    if (actual != expected) {
        std::ofstream(dir / "actual.transcript") << actual;
        FAIL() << "the frames differ from the recording; they are in "
               << (dir / "actual.transcript").string();
    }
    fs::remove_all(dir);
}

} // namespace
} // namespace tessary::test
