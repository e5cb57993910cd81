// The parts of a run on several boards that need no board: the names "{device}" becomes, the
// exit status of the whole run, the summary's rows and the lines a board's progress gives.
#include "GangBoards.h"
#include "GangDisplay.h"
#include "GangResult.h"
#include "Outcome.h"

#include <gtest/gtest.h>

#include <sstream>

namespace tessary::cli {
namespace {

TEST(GangBoards, FileSafeNames) {
    struct Case {
        const char* board;
        bool serial;
        const char* name;
    };
    for (const Case& c :
         {Case{"/dev/ttyUSB0", true, "ttyUSB0"}, Case{"/dev/pts/12", true, "pts-12"},
          Case{"tcp://127.0.0.1:4000", true, "127.0.0.1-4000"},
          Case{"rfc2217://lab-host:4001", true, "lab-host-4001"},
          Case{"SimBoard", false, "SimBoard"}, Case{"Lab:1", false, "Lab:1"},
          Case{"a/b", false, "a-b"}}) {
        EXPECT_EQ(FileSafeBoardName(c.board, c.serial), c.name) << c.board;
    }
}

TEST(GangBoards, EveryPlaceholderIsReplaced) {
    EXPECT_EQ(SubstituteDevice("{device}/dump-{device}.bin", "b1"), "b1/dump-b1.bin");
    EXPECT_EQ(SubstituteDevice("plain.bin", "b1"), "plain.bin");
    EXPECT_EQ(SubstituteDevice("{devic}{device}", "x"), "{devic}x");
}

TEST(GangBoards, BoardsThatWouldShareAFileAreRefused) {
    Request request;
    request.command = Command::StoreRam;
    request.file = "out-{device}.bin";
    EXPECT_EQ(GangRefusal(request, {{"/dev/ttyUSB0", "/dev/ttyUSB1"}, true}), "");
    EXPECT_NE(GangRefusal(request, {{"/dev/pts/1", "/dev/pts-1"}, true}), "");
    request.file = "out.bin";
    EXPECT_NE(GangRefusal(request, {{"A", "B"}, false}).find("{device}"), std::string::npos);
    request.command = Command::Erase;
    EXPECT_EQ(GangRefusal(request, {{"A", "B"}, false}), "");
}

BoardResult WithVerdict(BoardVerdict verdict) {
    BoardResult result;
    result.verdict = verdict;
    return result;
}

TEST(GangResult, ExitStatusOfTheWholeRun) {
    using V = BoardVerdict;
    struct Case {
        std::vector<V> verdicts;
        bool cancelled;
        int exit;
    };
    for (const Case& c :
         {Case{{V::Ok, V::Ok}, false, kExitSuccess}, Case{{V::Ok, V::Refused}, false, kExitUsage},
          Case{{V::Refused, V::Failed, V::Ok}, false, kExitFailed},
          Case{{V::Failed, V::Cancelled}, false, kExitCancelled},
          Case{{V::Ok, V::Ok}, true, kExitCancelled}}) {
        std::vector<BoardResult> results;
        for (const V verdict : c.verdicts) {
            results.push_back(WithVerdict(verdict));
        }
        EXPECT_EQ(GangExitCode(results, c.cancelled), c.exit);
    }
}

// The process's outcome gives the verdict, the bytes and the cause; one that printed none (a
// crash) is a failure that says how it ended.
TEST(GangResult, FromTheBoardsOutcome) {
    const BoardResult failed = BoardResultOf(
        "B", 1 << 8,
        R"({"command":"load-ram","ok":false,"exitCode":1,"cancelled":false,)"
        R"("status":"Write verification failed.","messages":[{"text":"Write verification )"
        R"(failed.","caption":"","icon":"error","cause":"block 2 differs"}],"bytes":100})",
        1.26);
    EXPECT_EQ(failed.verdict, BoardVerdict::Failed);
    EXPECT_EQ(failed.bytes, 100);
    EXPECT_EQ(failed.cause, "Write verification failed. (block 2 differs)");
    EXPECT_EQ(failed.json.rfind(R"({"device":"B","command":"load-ram")", 0), 0u) << failed.json;
    EXPECT_NE(failed.json.find(R"("seconds":1.26)"), std::string::npos) << failed.json;

    const BoardResult killed = BoardResultOf("C", 9 /* SIGKILL */, "", 0.5);
    EXPECT_EQ(killed.verdict, BoardVerdict::Failed);
    EXPECT_NE(killed.cause.find("signal 9"), std::string::npos) << killed.cause;

    const std::string table = SummaryTable({failed, killed});
    EXPECT_EQ(table.substr(0, table.find('\n')), "BOARD  RESULT  BYTES    TIME  CAUSE");
    EXPECT_NE(table.find("\nB      failed    100  1.26 s  Write verification failed."),
              std::string::npos)
        << table;
}

// Without a terminal a board's progress gives a line per tenth and per new phase, not one per
// event.
TEST(GangDisplay, LinesPerTenthAndPhase) {
    std::ostringstream err;
    const auto start = GangDisplay::Clock::now();
    GangDisplay display(err, GangDisplay::Style::Lines, {"b1", "b2"}, 80,
                        [start] { return start; });
    const auto progress = [](const char* phase, int done) {
        return std::string(R"({"event":"progress","phase":")") + phase + R"(","done":)" +
               std::to_string(done) + R"(,"total":1000,"block":null,"blocks":null,"rate":0})";
    };
    for (int done = 0; done <= 1000; done += 10) {
        display.BoardLine(0, progress("Loading block: 1", done));
    }
    display.BoardLine(1, progress("Verifying", 500));
    display.BoardLine(1, R"({"event":"message","text":"Flash memory error.","caption":"",)"
                         R"("cause":"block 4 failed"})");
    display.BoardLine(1, "not JSON");
    std::istringstream lines(err.str());
    std::vector<std::string> b1;
    std::vector<std::string> b2;
    for (std::string line; std::getline(lines, line);) {
        (line.starts_with("b1: ") ? b1 : b2).push_back(line);
    }
    ASSERT_EQ(b1.size(), 11u) << err.str(); // 0 %, 10 %, ..., 100 %
    EXPECT_EQ(b1[3], "b1: Loading block: 1  30%");
    EXPECT_EQ(b2, (std::vector<std::string>{"b2: Verifying  50%", "b2: error: Flash memory error.",
                                            "b2:   cause: block 4 failed", "b2: not JSON"}));
}

} // namespace
} // namespace tessary::cli
