// A transfer that fails on the line or in the device library says why: which exchange, on which
// line, and how it went wrong; and a register base where no controller answers is found before
// any data moves, for every operation that moves data and over both kinds of port.
#include "BoardProcess.h"
#include "CliFixture.h"

#include <filesystem>

namespace tessary::test {
namespace {

// The requests before the data of a load: probe, identity, the control register, the address
// and its read-back. Request 8 is the third piece of the first block.
constexpr const char* kDataRequest = "8";

struct LineFault {
    const char* name;
    std::vector<std::string> boardOptions;
    std::vector<std::string> command; // "FILE" stands for the test's file
    const char* message;              // the error line the message makes
    const char* exchange;             // what the controller was doing, then the line's name
    const char* request;              // after the line's name: the request that failed
    const char* how;
};

void PrintTo(const LineFault& fault, std::ostream* out) {
    *out << fault.name;
}

class LineFaults : public CliTest, public ::testing::WithParamInterface<LineFault> {};

TEST_P(LineFaults, TheCauseNamesTheExchangeTheLineAndHowItFailed) {
    const LineFault& fault = GetParam();
    MakeFile("in.bin", 20000);
    BoardProcess board(fault.boardOptions);
    std::vector<std::string> args = {"--serial", board.Path()};
    for (const std::string& arg : fault.command) {
        args.push_back(arg == "FILE" ? Path("in.bin") : arg == "OUT" ? Path("out.bin") : arg);
    }
    const CliResult result = Cli(args);
    EXPECT_EQ(result.exitCode, 1) << result.err;
    const std::string cause = std::string(fault.exchange) + board.Path() + fault.request;
    EXPECT_NE(result.err.find(std::string(fault.message) + "\n  cause: " + cause),
              std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find(fault.how), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find("the transfer with the board failed"), std::string::npos);
}

std::vector<std::string> FaultAt(const char* kind, const char* at,
                                 std::vector<std::string> more = {}) {
    std::vector<std::string> options = {"--fault", kind, "--fault-at", at};
    options.insert(options.end(), more.begin(), more.end());
    return options;
}

const std::vector<std::string> kLoad = {"load-ram", "FILE", "--no-verify"};
// With one request in flight no later reply fills in the bytes a cut reply lacks.
const std::vector<std::string> kLoadOneAtATime = {"--window", "1", "load-ram", "FILE",
                                                  "--no-verify"};
constexpr const char* kLoadMessage = "error: RAM load error (RAM Load Error)";
constexpr const char* kLoadExchange = "writing 8192 bytes of RAM at 0x000000: ";
constexpr const char* kLoadRequest = ": request 0x44 (write of 253 bytes to register 0x06): ";

INSTANTIATE_TEST_SUITE_P(
    Kinds, LineFaults,
    ::testing::Values(
        LineFault{"NoReply", FaultAt("no-reply", kDataRequest), kLoad, kLoadMessage, kLoadExchange,
                  kLoadRequest, ": no reply within 1010 ms"},
        LineFault{"CutReply", FaultAt("cut-short", kDataRequest, {"--cut-after", "2"}),
                  kLoadOneAtATime, kLoadMessage, kLoadExchange, kLoadRequest,
                  ": reply cut after 2 of 3 bytes"},
        LineFault{"WrongCode", FaultAt("wrong-code", kDataRequest), kLoad, kLoadMessage,
                  kLoadExchange, kLoadRequest, ": unexpected reply code 0x80 (expected 0x81)"},
        LineFault{"BadChecksum", FaultAt("bad-checksum", kDataRequest), kLoad, kLoadMessage,
                  kLoadExchange, kLoadRequest, ": bad checksum"},
        // The pieces after the one that hangs up may already be on their way: any of them is
        // the one that finds the line dead.
        LineFault{"HangUp", FaultAt("hang-up", kDataRequest), kLoad, kLoadMessage, kLoadExchange,
                  kLoadRequest, ": the line hung up"},
        LineFault{"CutRead",
                  FaultAt("cut-short", kDataRequest, {"--cut-after", "3", "--extensions", "none"}),
                  {"--window", "1", "store-ram", "OUT", "--length", "20000"},
                  "error: Ram Store error (RAM Store Error)",
                  "reading 8192 bytes of RAM at 0x000000: ",
                  ": request 0x49 (read of 254 bytes from register 0x06): ",
                  ": reply cut after 3 of 257 bytes"},
        // The erase's register list is request 4; its read-back follows it.
        LineFault{"EraseNoReply",
                  FaultAt("no-reply", "4"),
                  {"erase", "--blocks", "1"},
                  "error: Error communicating with the memory controller.",
                  "erasing the Flash block at 0x020000: ",
                  ": request 0x45 (write of 11 registers): ",
                  ": no reply within 1010 ms"},
        // A board that never answers names the request it was asked first.
        LineFault{"ConnectNoReply", FaultAt("no-reply", "1"), kLoad,
                  "error: Unable to connect to target board (RAM Load Error)",
                  "no answer from the board on ",
                  "; is it powered and running the memory controller? (request 0x40 (probe): ",
                  "(request 0x40 (probe): no reply within 1010 ms)\n"}),
    [](const auto& test) { return std::string(test.param.name); });

// The library's error code reaches the message with its meaning, and with what the device said
// of it where it says something: a board on a serial line names the request and how it failed.
using LibraryErrors = CliTest;

TEST_F(LibraryErrors, ReachTheMessage) {
    // Access 1 sets the control register, 2 and 3 the address and its read-back; 4 is the data.
    WriteTable("Flaky sim default fail-access=4\n");
    MakeFile("in.bin", 20000);
    const CliResult result = Cli({"load-ram", Path("in.bin"), "--no-verify"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "RAM load error\n");
    EXPECT_EQ(result.err, "error: RAM load error (RAM Load Error)\n"
                          "  cause: writing 8192 bytes of RAM at 0x000000: board 'Flaky': the "
                          "device library's error 7 (the board did not complete the register "
                          "access)\n");
}

TEST_F(LibraryErrors, OfABoardOnASerialLineSayHowItsLineFailed) {
    BoardProcess board(FaultAt("wrong-code", kDataRequest));
    WriteTable("Line serial default path=" + board.Path() + "\n");
    MakeFile("in.bin", 20000);
    const CliResult result = Cli({"load-ram", Path("in.bin"), "--no-verify"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("  cause: writing 8192 bytes of RAM at 0x000000: board 'Line': the "
                              "device library's error 7 (the board did not complete the register "
                              "access): " +
                              board.Path() + ": request 0x44 (write of "),
              std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find(": unexpected reply code 0x80 (expected 0x81)\n"), std::string::npos)
        << result.err;
}

// --register-base 0x40 on boards whose controller sits at 0: each operation that moves data stops
// before it does, names the register base, and leaves the file and the board as they were.
struct WrongBase {
    const char* name;
    bool serial;
    std::vector<std::string> command;
    const char* memory; // "ram" or "flash": what the board held before, and must hold after
};

void PrintTo(const WrongBase& c, std::ostream* out) {
    *out << c.name << (c.serial ? " over the line" : " in the library");
}

class WrongBases : public CliTest, public ::testing::WithParamInterface<WrongBase> {};

TEST_P(WrongBases, AreReportedBeforeAnyDataMoves) {
    const WrongBase& c = GetParam();
    const std::vector<uint8_t> held = MakeFile("held.bin", 0x3000, 5);
    MakeFile("in.bin", 0x3000, 6);
    BoardProcess board;
    std::vector<std::string> line;
    if (c.serial) {
        line = {"--serial", board.Path()};
    }
    auto with = [&](std::vector<std::string> args) {
        args.insert(args.begin(), line.begin(), line.end());
        return Cli(args);
    };
    const std::string memory = c.memory;
    ASSERT_EQ(with({"load-" + memory, Path("held.bin")}).exitCode, 0);

    std::vector<std::string> args = {"--register-base", "0x40"};
    for (const std::string& arg : c.command) {
        args.push_back(arg == "FILE" ? Path("in.bin") : arg == "OUT" ? Path("out.bin") : arg);
    }
    const CliResult result = with(args);
    EXPECT_EQ(result.exitCode, 1) << result.out;
    EXPECT_NE(result.err.find("\n  cause: no memory controller answers at register base 0x40 "
                              "(the address registers read 0xFF); check the register base\n"),
              std::string::npos)
        << result.err;
    EXPECT_FALSE(std::filesystem::exists(Path("out.bin")));

    const CliResult stored =
        with({"store-" + memory, Path("after.bin"), "--length", std::to_string(held.size())});
    ASSERT_EQ(stored.exitCode, 0) << stored.err;
    EXPECT_TRUE(Read("after.bin") == held) << "the board's " << memory << " changed";
}

std::vector<WrongBase> WrongBaseCases() {
    std::vector<WrongBase> cases;
    for (const bool serial : {false, true}) {
        cases.push_back({"StoreRam", serial, {"store-ram", "OUT", "--length", "100"}, "ram"});
        cases.push_back({"StoreFlash", serial, {"store-flash", "OUT", "--length", "100"}, "flash"});
        cases.push_back({"LoadRamNoVerify", serial, {"load-ram", "FILE", "--no-verify"}, "ram"});
        cases.push_back({"Erase", serial, {"erase", "--blocks", "0"}, "flash"});
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Operations, WrongBases, ::testing::ValuesIn(WrongBaseCases()),
                         [](const auto& test) {
                             return std::string(test.param.name) +
                                    (test.param.serial ? "OverTheLine" : "InTheLibrary");
                         });

} // namespace
} // namespace tessary::test
