// Every way a store can go wrong, for both memories and all three output modes: the file that was
// there before is byte for byte what it was (or, where another store of the same file won, that
// store's result whole), no temporary file is left beside it, the tool exits non-zero and says
// why on stderr.
#include "BoardProcess.h"
#include "CliFixture.h"

#include <csignal>
#include <filesystem>
#include <future>
#include <sys/resource.h>
#include <thread>

namespace tessary::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

enum class Fault {
    NoBoard,
    DeadBoard,
    CutReply,
    WrongReply,
    CorruptReply,
    DiskFull,
    Interrupt,
    Terminate,
    HangUp,
    ConcurrentStore,
};

struct MatrixCase {
    const char* command; // store-ram or store-flash
    const char* mode;
    Fault fault;
};

constexpr const char* kLength = "0x8000"; // four blocks
constexpr std::size_t kOldSize = 20000;

std::string Name(const MatrixCase& c) {
    static const char* const kFaults[] = {"NoBoard",      "DeadBoard", "CutReply",  "WrongReply",
                                          "CorruptReply", "DiskFull",  "Interrupt", "Terminate",
                                          "HangUp",       "Concurrent"};
    std::string name =
        std::string(c.command) + "_" + c.mode + "_" + kFaults[static_cast<int>(c.fault)];
    for (char& ch : name) {
        ch = ch == '-' ? '_' : ch;
    }
    return name;
}

class FaultMatrix : public CliTest, public ::testing::WithParamInterface<MatrixCase> {
  protected:
    std::vector<std::string> Store(std::vector<std::string> global) const {
        const MatrixCase& c = GetParam();
        std::vector<std::string> args = std::move(global);
        args.insert(args.end(),
                    {c.command, Path("out.bin"), "--length", kLength, "--mode", c.mode});
        if (std::string(c.mode) == "overwrite") {
            args.insert(args.end(), {"--offset", "100"});
        }
        return args;
    }
    // A board on a pseudo-terminal whose replies go wrong from the 30th request on. It reads no
    // runs on its side: the zeros it holds would come back in a few replies, and the store would
    // end before the fault.
    CliResult OverSerial(std::vector<std::string> boardOptions) {
        boardOptions.insert(boardOptions.end(), {"--extensions", "none"});
        BoardProcess board(boardOptions);
        return Cli(Store({"--serial", board.Path()}));
    }
    std::vector<std::string> Leftovers() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(Path(""))) {
            const std::string name = entry.path().filename().string();
            if (name.starts_with(".tessary-")) {
                names.push_back(name);
            }
        }
        return names;
    }
    CliResult Run();
    bool SignalCase() const {
        const Fault fault = GetParam().fault;
        return fault == Fault::Interrupt || fault == Fault::Terminate || fault == Fault::HangUp;
    }
    CliResult RunConcurrent(std::vector<uint8_t>& expected);

    std::vector<uint8_t> old;
};

CliResult FaultMatrix::Run() {
    const MatrixCase& c = GetParam();
    switch (c.fault) {
    case Fault::NoBoard:
        return Cli(Store({"--serial", Path("no-such-tty")}));
    case Fault::DeadBoard: {
        BoardProcess board({"--baud", "115200", "--extensions", "none"});
        std::thread killer([&] {
            std::this_thread::sleep_for(300ms);
            board.Stop(SIGKILL);
        });
        CliResult result = Cli(Store({"--serial", board.Path()}));
        killer.join();
        return result;
    }
    case Fault::CutReply:
        return OverSerial({"--fault", "cut-short", "--cut-after", "3", "--fault-at", "30"});
    case Fault::WrongReply:
        return OverSerial({"--fault", "wrong-code", "--fault-at", "30"});
    case Fault::CorruptReply:
        return OverSerial({"--fault", "flip-byte", "--fault-at", "30", "--fault-count", "1"});
    case Fault::DiskFull: {
        // The file may not grow past 30000 bytes: every mode needs more for 32K of data.
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit small = saved;
        small.rlim_cur = 30000;
        setrlimit(RLIMIT_FSIZE, &small);
        CliResult result = Cli(Store({}));
        setrlimit(RLIMIT_FSIZE, &saved);
        return result;
    }
    case Fault::Interrupt:
    case Fault::Terminate:
    case Fault::HangUp: {
        WriteTable("Slow sim default speed=20000\n");
        const int signal = c.fault == Fault::Interrupt   ? SIGINT
                           : c.fault == Fault::Terminate ? SIGTERM
                                                         : SIGHUP;
        return RunCli(Store({}), Environment(), Interruption{signal, 400ms});
    }
    case Fault::ConcurrentStore:
        break;
    }
    return {};
}

// Two boards holding different data store into one file at once; the second starts while the
// first is still reading its (slow) board.
CliResult FaultMatrix::RunConcurrent(std::vector<uint8_t>& expected) {
    const MatrixCase& c = GetParam();
    const bool ram = std::string(c.command) == "store-ram";
    WriteTable("First sim default speed=40000\nSecond sim\n");
    const std::vector<uint8_t> first = MakeFile("first.bin", 0x8000, 7);
    MakeFile("second.bin", 0x8000, 8);
    const char* load = ram ? "load-ram" : "load-flash";
    EXPECT_EQ(Cli({"--device", "First", load, Path("first.bin")}).exitCode, 0);
    EXPECT_EQ(Cli({"--device", "Second", load, Path("second.bin")}).exitCode, 0);

    auto slow = std::async(std::launch::async, [&] { return Cli(Store({"--device", "First"})); });
    std::this_thread::sleep_for(300ms);
    CliResult second = Cli(Store({"--device", "Second"}));
    const CliResult firstResult = slow.get();
    EXPECT_EQ(firstResult.exitCode, 0) << firstResult.err;

    // What the first store makes of the old file.
    const std::string mode = c.mode;
    if (mode == "append") {
        expected = old;
        expected.insert(expected.end(), first.begin(), first.end());
    } else if (mode == "replace") {
        expected = first;
    } else {
        expected = old;
        expected.resize(std::max<std::size_t>(old.size(), 100 + first.size()));
        std::copy(first.begin(), first.end(), expected.begin() + 100);
    }
    return second;
}

TEST_P(FaultMatrix, OldFileSurvivesWholeAndTheCauseIsTold) {
    old = MakeFile("out.bin", kOldSize, 3);
    std::vector<uint8_t> expected = old;
    const CliResult result =
        GetParam().fault == Fault::ConcurrentStore ? RunConcurrent(expected) : Run();
    EXPECT_NE(result.exitCode, 0) << result.out;
    // A tool that handles the signal (cancels, cleans up) says so; one that the signal ends
    // outright has no chance to, but its file must be whole all the same.
    const bool killedBySignal = result.exitCode > 128 && SignalCase();
    EXPECT_TRUE(killedBySignal || !result.err.empty());
    EXPECT_TRUE(Read("out.bin") == expected) << "the file changed; stderr: " << result.err;
    EXPECT_EQ(Leftovers(), std::vector<std::string>{});
}

std::vector<MatrixCase> AllCases() {
    std::vector<MatrixCase> cases;
    for (const char* command : {"store-ram", "store-flash"}) {
        for (const char* mode : {"append", "replace", "overwrite"}) {
            for (int fault = 0; fault <= static_cast<int>(Fault::ConcurrentStore); ++fault) {
                cases.push_back({command, mode, static_cast<Fault>(fault)});
            }
        }
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Stores, FaultMatrix, ::testing::ValuesIn(AllCases()),
                         [](const auto& test) { return Name(test.param); });

} // namespace
} // namespace tessary::test
