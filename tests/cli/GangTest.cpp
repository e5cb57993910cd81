// Several boards at once: --serial (or --device) repeated runs the operation on every board in a
// process of its own, against tessary-board on pseudo-terminals, and sums up what each did.
#include "BoardProcess.h"
#include "CliFixture.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>

namespace tessary::test {
namespace {

// The name a serial line gives "{device}" in a file name: /dev/pts/7 -> pts-7.
std::string FileName(std::string line) {
    if (line.starts_with("/dev/")) {
        line.erase(0, 5);
    }
    std::replace(line.begin(), line.end(), '/', '-');
    return line;
}

class Gang : public CliTest {
  protected:
    // Three boards; the options of each are its own.
    void StartBoards(const std::vector<std::vector<std::string>>& options) {
        for (const auto& board : options) {
            boards_.push_back(std::make_unique<BoardProcess>(board));
        }
    }
    std::vector<std::string> SerialOptions() const {
        std::vector<std::string> arguments;
        for (const auto& board : boards_) {
            arguments.insert(arguments.end(), {"--serial", board->Path()});
        }
        return arguments;
    }
    std::string Line(std::size_t board) const { return boards_.at(board)->Path(); }
    std::vector<std::string> With(std::vector<std::string> arguments) const {
        std::vector<std::string> all = SerialOptions();
        all.insert(all.end(), arguments.begin(), arguments.end());
        return all;
    }
    // The summary row of a board: the line of stdout that starts with its name.
    static std::string Row(const std::string& out, const std::string& board) {
        for (const std::string& line : Lines(out)) {
            if (line.starts_with(board + " ")) {
                return line;
            }
        }
        return {};
    }

    std::vector<std::unique_ptr<BoardProcess>> boards_;
};

// One board's checksums are wrong: its load fails verification while the other two complete, and
// the summary says which one failed and why.
TEST_F(Gang, TheGoodBoardsCompleteAndTheSummaryNamesTheFailedOne) {
    if (!BoardProcess::HelpNames("wrong-crc")) {
        GTEST_SKIP() << "tessary-board has no --fault wrong-crc";
    }
    StartBoards({{}, {"--fault", "wrong-crc"}, {}});
    const std::vector<uint8_t> data = MakeFile("in.bin", 30000);
    const CliResult load = Cli(With({"load-ram", Path("in.bin"), "--address", "0x100"}));
    EXPECT_EQ(load.exitCode, 1) << load.err;
    ASSERT_EQ(Lines(load.out).size(), 4u) << load.out; // a header and a row per board
    EXPECT_TRUE(Lines(load.out)[0].starts_with("BOARD")) << load.out;
    for (const std::size_t good : {0u, 2u}) {
        const std::string row = Row(load.out, Line(good));
        EXPECT_NE(row.find(" ok "), std::string::npos) << load.out;
        EXPECT_NE(row.find(" 30000 "), std::string::npos) << load.out;
    }
    const std::string failed = Row(load.out, Line(1));
    EXPECT_NE(failed.find(" failed "), std::string::npos) << load.out;
    EXPECT_NE(failed.find("Write verification failed."), std::string::npos) << load.out;
    EXPECT_NE(failed.find("the board's checksum disagrees with its own data"), std::string::npos)
        << load.out;
    EXPECT_NE(load.err.find(Line(1) + ": error: Write verification failed."), std::string::npos)
        << load.err;

    // What the good boards hold is the file: read back one file per board.
    const CliResult store = Cli(
        With({"store-ram", Path("back-{device}.bin"), "--address", "0x100", "--length", "30000"}));
    for (const std::size_t good : {0u, 2u}) {
        EXPECT_NE(Row(store.out, Line(good)).find(" ok "), std::string::npos) << store.out;
        EXPECT_EQ(Read("back-" + FileName(Line(good)) + ".bin"), data) << Line(good);
    }
}

// --json: one object per board and line, the board's outcome with its name and time.
// --progress json: the boards' own progress lines, each naming its board, every board's `done`
// never going back and its `end` its last line.
TEST_F(Gang, JsonGivesOneObjectPerBoard) {
    StartBoards({{}, {}, {}});
    const CliResult store =
        Cli(With({"--json", "--progress", "json", "store-flash", Path("{device}.bin"), "--address",
                  "0x1000", "--length", "5000"}));
    EXPECT_EQ(store.exitCode, 0) << store.err;
    const std::vector<std::string> lines = Lines(store.out);
    ASSERT_EQ(lines.size(), 3u) << store.out;
    for (std::size_t board = 0; board < lines.size(); ++board) {
        const nlohmann::json outcome = nlohmann::json::parse(lines[board]);
        EXPECT_EQ(outcome["device"], Line(board));
        EXPECT_EQ(outcome["command"], "store-flash");
        EXPECT_EQ(outcome["ok"], true);
        EXPECT_EQ(outcome["exitCode"], 0);
        EXPECT_EQ(outcome["bytes"], 5000);
        EXPECT_TRUE(outcome["seconds"].is_number());
        // An erased Flash reads 0xFF.
        EXPECT_EQ(Read(FileName(Line(board)) + ".bin"), std::vector<uint8_t>(5000, 0xFF));
    }
    std::map<std::string, int64_t> done;
    std::map<std::string, bool> ended;
    for (const std::string& line : Lines(store.err)) {
        const nlohmann::json event = nlohmann::json::parse(line); // throws on a line not JSON
        const std::string device = event.at("device");
        ASSERT_TRUE(device == Line(0) || device == Line(1) || device == Line(2)) << line;
        EXPECT_FALSE(ended[device]) << "a line after the end: " << line;
        ended[device] = event["event"] == "end";
        if (event.contains("done")) {
            EXPECT_GE(event["done"].get<int64_t>(), done[device]) << line;
            done[device] = event["done"];
        }
    }
    for (std::size_t board = 0; board < 3; ++board) {
        EXPECT_TRUE(ended[Line(board)]) << store.err;
        EXPECT_EQ(done[Line(board)], 5000) << store.err;
    }
}

// What is refused before any board is contacted: a store into one file for all boards, a board
// named twice, standard input for all, a device the table does not have.
TEST_F(Gang, RefusedBeforeAnyBoardIsContacted) {
    MakeFile("in.bin", 100);
    const std::vector<std::vector<std::string>> refused = {
        {"--device", "SimBoard", "--device", "Sim1M", "store-ram", Path("out.bin"), "--length",
         "100"},
        {"--device", "SimBoard", "--device", "Sim1M", "--device", "SimBoard", "load-ram",
         Path("in.bin")},
        {"--device", "SimBoard", "--device", "Sim1M", "load-ram", "-"},
        {"--device", "SimBoard", "--device", "NoSuchBoard", "load-ram", Path("in.bin")},
    };
    for (const auto& arguments : refused) {
        const CliResult result = Cli(arguments);
        EXPECT_EQ(result.exitCode, 2) << result.err;
        EXPECT_TRUE(result.err.starts_with("error: ")) << result.err;
        EXPECT_TRUE(NoBoardOpened()) << result.err;
    }
    EXPECT_NE(Cli(refused[0]).err.find("put {device} in the file name"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(Path("out.bin")));
    EXPECT_NE(Cli(refused[3]).err.find("No device named 'NoSuchBoard'"), std::string::npos);
    // With --progress json the refusal is JSON events too, its reason a message.
    std::vector<std::string> arguments = refused[0];
    arguments.insert(arguments.begin(), {"--progress", "json"});
    const CliResult json = Cli(arguments);
    EXPECT_EQ(json.exitCode, 2) << json.err;
    std::vector<nlohmann::json> events;
    for (const std::string& line : Lines(json.err)) {
        events.push_back(nlohmann::json::parse(line)); // throws on a line not JSON
    }
    ASSERT_EQ(events.size(), 3u) << json.err;
    EXPECT_EQ(events[1]["event"], "message");
    EXPECT_NE(events[1]["text"].get<std::string>().find("put {device}"), std::string::npos);
    EXPECT_EQ(events[2]["event"], "end");
    EXPECT_EQ(events[2]["exitCode"], 2);
}

// --device repeated: the library's simulated boards, one file each.
TEST_F(Gang, LibraryDevicesStoreOneFileEach) {
    const std::vector<uint8_t> data = MakeFile("in.bin", 4000);
    const CliResult load =
        Cli({"-q", "--device", "SimBoard", "--device", "Sim1M", "load-ram", Path("in.bin")});
    ASSERT_EQ(load.exitCode, 0) << load.err << load.out;
    const CliResult store = Cli({"--device", "SimBoard", "--device", "Sim1M", "store-ram",
                                 Path("{device}-ram.bin"), "--length", "4000"});
    ASSERT_EQ(store.exitCode, 0) << store.err << store.out;
    EXPECT_EQ(Read("SimBoard-ram.bin"), data);
    EXPECT_EQ(Read("Sim1M-ram.bin"), data);
}

// Ctrl-C while three slow stores run stops all three: exit 130, each board cancelled, no file
// left behind; the boards are free again at once.
TEST_F(Gang, ACancelStopsEveryBoard) {
    // Without run-length reads an empty RAM takes its full time on the line: about 9 s.
    const std::vector<std::string> slow = {"--baud", "115200", "--extensions", "none"};
    StartBoards({slow, slow, slow});
    const auto before = Entries();
    bool sent = false;
    std::chrono::steady_clock::time_point sentAt;
    const CliResult result =
        Cli(With({"--baud", "115200", "store-ram", Path("{device}.bin"), "--length", "100000"}),
            [&](pid_t pid, const std::string& err) {
                bool everyBoardMoves = true;
                for (std::size_t board = 0; board < 3; ++board) {
                    // A line with a percentage: the board's bytes are moving.
                    everyBoardMoves &=
                        err.find(Line(board) + ": Reading block: 1  ") != std::string::npos;
                }
                if (!sent && everyBoardMoves) {
                    sent = true;
                    sentAt = std::chrono::steady_clock::now();
                    kill(pid, SIGINT);
                }
            });
    ASSERT_TRUE(sent) << result.err;
    const auto stop = std::chrono::duration<double>(std::chrono::steady_clock::now() - sentAt);
    std::cout << "[ measured ] three boards stopped " << stop.count() << " s after the cancel\n";
    EXPECT_EQ(result.exitCode, 130) << result.err;
    for (std::size_t board = 0; board < 3; ++board) {
        EXPECT_NE(Row(result.out, Line(board)).find(" cancelled "), std::string::npos)
            << result.out;
    }
    EXPECT_EQ(Entries(), before);
    const CliResult probe = Cli(With({"--baud", "115200", "probe"}));
    EXPECT_EQ(probe.exitCode, 0) << probe.err << probe.out;
}

} // namespace
} // namespace tessary::test
