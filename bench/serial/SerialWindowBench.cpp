// How much of a 115200-baud line the serial road fills, paced by tessary-board: payload bytes per
// second as a share of the line's 11,520 bytes/s for load without verify, store and load with
// verify (RAM, 16 KB each), with the basic frames one at a time (as before the window and the
// fast protocol), the basic frames four at a time, the fast protocol, and the fast protocol behind
// a USB adapter's 16 ms latency. Then the host's CPU time per MB at 3,000,000 baud.
#include "BoardProcess.h"
#include "LoadOperations.h"
#include "MemoryConfigurations.h"
#include "RecordingSinks.h"
#include "Session.h"
#include "StoreOperations.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace tessary {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr double kLineBytesPerSecond = 115200 / 10.0;

enum class Operation { Load, Store, LoadVerify };
constexpr Operation kOperations[] = {Operation::Load, Operation::Store, Operation::LoadVerify};

struct Road {
    const char* name;
    std::vector<std::string> boardOptions;
    int32_t window; // 0 = what the board announces
};

class Files {
  public:
    explicit Files(size_t size) {
        dir_ = fs::temp_directory_path() / ("serial-window-bench-" + std::to_string(getpid()));
        fs::create_directories(dir_);
        std::string data(size, '\0');
        for (size_t i = 0; i < size; ++i) {
            data[i] = static_cast<char>(i * 37 + 11);
        }
        std::ofstream(Input(), std::ios::binary) << data;
    }
    ~Files() { fs::remove_all(dir_); }
    std::string Input() const { return (dir_ / "in.bin").string(); }
    std::string Output() const { return (dir_ / "out.bin").string(); }

  private:
    fs::path dir_;
};

// Seconds the operation took, or a negative number when it failed.
double Run(const Session& session, Operation operation, const Files& files, int32_t size) {
    test::RecordingStatus status;
    test::RecordingMessages messages;
    const auto start = Clock::now();
    bool ok = false;
    if (operation == Operation::Store) {
        StoreRequest request;
        request.path = files.Output();
        request.length = size;
        request.mode = OutputMode::Replace;
        ok = StoreRamToFile(session, request, status, messages);
    } else {
        LoadRequest request;
        request.fileName = files.Input();
        request.verify = operation == Operation::LoadVerify;
        ok = LoadRamOperation(session, request, status, messages);
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (!ok || !messages.texts.empty()) {
        std::fprintf(stderr, "the run failed: %s\n",
                     messages.texts.empty() ? "no message" : messages.texts.front().c_str());
        return -1;
    }
    return seconds;
}

Session SessionFor(const test::BoardProcess& board, uint32_t baud, int32_t window) {
    Session session;
    session.interfaceType = kInterfaceSerial;
    session.deviceName = board.Path();
    session.serialBaud = baud;
    session.serialWindow = window;
    return session;
}

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

} // namespace
} // namespace tessary

int main() {
    using namespace tessary;
    constexpr int32_t kSize = 16 * 1024;
    const Files files(kSize);
    const Road roads[] = {
        {"basic, W=1 (as before)", {"--protocol", "basic"}, 1},
        {"basic, W=4", {"--protocol", "basic"}, 4},
        {"fast (board's W)", {}, 0},
        {"fast, 16 ms latency", {"--latency-ms", "16"}, 0},
    };
    std::printf("Share of a 115200-baud line (11,520 B/s) carried as payload, 16 KB of RAM each\n");
    std::printf("%-26s %10s %10s %12s\n", "road", "load", "store", "load+verify");
    double shares[4][3] = {};
    for (size_t r = 0; r < std::size(roads); ++r) {
        std::vector<std::string> options = {"--baud", "115200"};
        options.insert(options.end(), roads[r].boardOptions.begin(), roads[r].boardOptions.end());
        const test::BoardProcess board(options);
        const Session session = SessionFor(board, 115200, roads[r].window);
        std::printf("%-26s", roads[r].name);
        for (size_t o = 0; o < 3; ++o) {
            const double seconds = Run(session, kOperations[o], files, kSize);
            shares[r][o] = seconds > 0 ? kSize / seconds / kLineBytesPerSecond : 0;
            std::printf(" %*.1f%%", o == 2 ? 11 : 9, 100 * shares[r][o]);
            std::fflush(stdout);
        }
        std::printf("\n");
    }
    std::printf("targets: fast >= 90%% / 90%% / 85%%; basic W=4 store >= 85%%, load+verify >= "
                "44%%\n");
    std::printf("fast with 16 ms latency as a share of fast without: %.0f%% / %.0f%% / %.0f%% "
                "(target >= 80%%)\n",
                100 * shares[3][0] / shares[2][0], 100 * shares[3][1] / shares[2][1],
                100 * shares[3][2] / shares[2][2]);

    // Host CPU per MB at 3 Mbaud: what the host process spends, the board not counted. A module
    // with 16 MB of RAM, as 1 MB is more than the smaller ones hold.
    constexpr int32_t kCpuSize = 1024 * 1024;
    const Files big(kCpuSize);
    const test::BoardProcess board({"--baud", "3000000", "--config", "parvel16"});
    Session session = SessionFor(board, 3000000, 0);
    session.memoryConfiguration = ConfigurationNamed("parvel16").value;
    for (const Operation operation : {Operation::Store, Operation::LoadVerify}) {
        const double before = CpuSeconds();
        const double seconds = Run(session, operation, big, kCpuSize);
        const double cpu = CpuSeconds() - before;
        std::printf("3,000,000 baud, fast, 1 MB %-12s %6.2f s (%.0f%% of 300,000 B/s), host CPU "
                    "%.0f ms per MB\n",
                    operation == Operation::Store ? "store:" : "load+verify:", seconds,
                    seconds > 0 ? 100 * kCpuSize / seconds / 300000.0 : 0.0, 1000 * cpu);
    }
    return 0;
}
