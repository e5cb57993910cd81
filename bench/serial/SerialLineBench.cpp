// Load RAM and Store RAM of 64 KB over a pseudo-terminal with tessary-board, paced like a
// 115200-baud line (payload bytes per second as a fraction of the line's 11,520 bytes/s) and
// unpaced (frames per second).
#include "BoardProcess.h"
#include "LoadOperations.h"
#include "MemoryController.h"
#include "RecordingSinks.h"
#include "SerialProtocol.h"
#include "Session.h"
#include "StoreOperations.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace tessary {
namespace {

constexpr int32_t kBytes = 64 * 1024;
constexpr double kLineBytesPerSecond = 115200 / 10.0;
// Request frames of one operation: three to connect, then per block the address and the pieces.
constexpr int32_t FramesFor(int32_t pieceSize) {
    const int32_t blocks = kBytes / TransferBlockSize;
    return 3 + blocks * (1 + (TransferBlockSize + pieceSize - 1) / pieceSize);
}

// A board on its own pty, the program's settings pointing at it, and a 64 KB file.
class Bench {
  public:
    explicit Bench(bool paced)
        : board_(paced ? std::vector<std::string>{"--baud", "115200"}
                       : std::vector<std::string>{}) {
        session.interfaceType = kInterfaceSerial;
        session.deviceName = board_.Path();
        dir_ =
            std::filesystem::temp_directory_path() / ("serial-bench-" + std::to_string(getpid()));
        std::filesystem::create_directories(dir_);
        std::vector<char> data(kBytes);
        for (int32_t i = 0; i < kBytes; ++i) {
            data[static_cast<size_t>(i)] = static_cast<char>(i * 37 + 11);
        }
        std::ofstream(Input(), std::ios::binary).write(data.data(), kBytes);
    }
    ~Bench() { std::filesystem::remove_all(dir_); }
    std::string Input() const { return (dir_ / "in.bin").string(); }
    std::string Output() const { return (dir_ / "out.bin").string(); }
    const Session& Board() const { return session; }

  private:
    test::BoardProcess board_;
    Session session;
    std::filesystem::path dir_;
};

// Runs `operation` once per iteration and reports its rates over the time the runs took.
template <typename Operation>
void Measure(benchmark::State& state, int32_t pieceSize, Operation operation) {
    using Clock = std::chrono::steady_clock;
    Clock::duration spent{};
    for (auto _ : state) {
        const auto start = Clock::now();
        if (!operation()) {
            state.SkipWithError("the operation failed");
            return;
        }
        spent += Clock::now() - start;
    }
    const double seconds = std::chrono::duration<double>(spent).count();
    const auto runs = static_cast<double>(state.iterations());
    state.counters["payload_B/s"] = kBytes * runs / seconds;
    state.counters["line_fraction"] = kBytes * runs / seconds / kLineBytesPerSecond;
    state.counters["frames/s"] = FramesFor(pieceSize) * runs / seconds;
}

void LoadRam64K(benchmark::State& state) {
    Bench bench(state.range(0) != 0);
    LoadRequest request;
    request.fileName = bench.Input();
    test::RecordingStatus status;
    test::RecordingMessages messages;
    Measure(state, protocol::kMaxRepeatWrite, [&] {
        LoadRamOperation(bench.Board(), request, status, messages);
        return status.Last().rfind("RAM load complete", 0) == 0;
    });
}

void StoreRam64K(benchmark::State& state) {
    Bench bench(state.range(0) != 0);
    StoreRequest request;
    request.path = bench.Output();
    request.length = kBytes;
    request.mode = OutputMode::Replace;
    test::RecordingStatus status;
    test::RecordingMessages messages;
    Measure(state, protocol::kMaxRepeatRead, [&] {
        StoreRamToFile(bench.Board(), request, status, messages);
        return messages.texts.empty() && status.Last().rfind("Ram Store complete", 0) == 0;
    });
}

// Argument 1: paced at 115200 baud; 0: as fast as the pty carries the frames.
BENCHMARK(LoadRam64K)->Arg(1)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);
BENCHMARK(StoreRam64K)->Arg(1)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);
BENCHMARK(LoadRam64K)->Arg(0)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(StoreRam64K)->Arg(0)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tessary
