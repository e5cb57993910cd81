// Throughput of the gateware over its serial line, in simulated time, beside tessary-board paced
// at the same baud rate in real time: payload bytes per second as a share of the line's rate
// (baud / 10 bytes per second) for load with verify, load without verify and store, at 115200
// and 3,000,000 baud.
#include "BoardProcess.h"
#include "LoadOperations.h"
#include "RecordingSinks.h"
#include "Session.h"
#include "StoreOperations.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

namespace tessary {
namespace {

namespace fs = std::filesystem;

enum class Op { LoadVerify, Load, Store };

// Simulated seconds the RTL board spent, from its --stats file.
double SimulatedSeconds(const std::string& path) {
    std::ifstream in(path);
    std::map<std::string, double> values;
    std::string key;
    double value = 0;
    while (in >> key >> value) {
        values[key] = value;
    }
    return values["clock_hz"] > 0 ? values["cycles"] / values["clock_hz"] : 0;
}

bool Run(Op op, const Session& session, const std::string& input, const std::string& output,
         int32_t bytes) {
    test::RecordingStatus status;
    test::RecordingMessages messages;
    if (op == Op::Store) {
        StoreRequest request;
        request.path = output;
        request.startAddress = 0;
        request.length = bytes;
        request.mode = OutputMode::Replace;
        return StoreRamToFile(session, request, status, messages);
    }
    LoadRequest request;
    request.fileName = input;
    request.startAddress = 0;
    request.verify = op == Op::LoadVerify;
    return LoadRamOperation(session, request, status, messages);
}

void Throughput(benchmark::State& state, bool rtl, Op op, uint32_t baud) {
    // Enough bytes for a steady figure, few enough that 115200 baud simulates in seconds.
    const int32_t bytes = baud > 1000000 ? 64 * 1024 : 8 * 1024;
    const fs::path dir = fs::temp_directory_path() / ("rtl-bench-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const std::string input = (dir / "in.bin").string();
    const std::string output = (dir / "out.bin").string();
    const std::string stats = (dir / "stats").string();
    std::vector<char> data(static_cast<size_t>(bytes));
    for (size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<char>(i * 37 + 11);
    }
    std::ofstream(input, std::ios::binary).write(data.data(), bytes);

    double seconds = 0;
    for (auto _ : state) {
        std::vector<std::string> options{"--baud", std::to_string(baud)};
        if (rtl) {
            options.insert(options.end(), {"--stats", stats});
        }
        test::BoardProcess board(rtl ? TESSARY_RTL_BOARD_EXE : TESSARY_BOARD_EXE, options);
        Session session;
        session.interfaceType = kInterfaceSerial;
        session.deviceName = board.Path();
        const auto start = std::chrono::steady_clock::now();
        if (!Run(op, session, input, output, bytes)) {
            state.SkipWithError("the operation failed");
            break;
        }
        const double wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        board.Stop(SIGTERM);
        const double spent = rtl ? SimulatedSeconds(stats) : wall;
        state.SetIterationTime(spent);
        seconds += spent;
    }
    fs::remove_all(dir);
    const double rate = bytes * static_cast<double>(state.iterations()) / seconds;
    state.counters["payload_B/s"] = rate;
    state.counters["line_share"] = rate / (baud / 10.0);
}

void Register() {
    const struct {
        const char* name;
        Op op;
    } ops[] = {{"load_verify", Op::LoadVerify}, {"load", Op::Load}, {"store", Op::Store}};
    for (const uint32_t baud : {115200u, 3000000u}) {
        for (const auto& op : ops) {
            for (const bool rtl : {false, true}) {
                const std::string name = std::string(rtl ? "rtl" : "tessary_board") + "/" +
                                         op.name + "/" + std::to_string(baud);
                benchmark::RegisterBenchmark(name.c_str(), Throughput, rtl, op.op, baud)
                    ->UseManualTime()
                    ->Iterations(1)
                    ->Unit(benchmark::kMillisecond);
            }
        }
    }
}

const int registered = (Register(), 0);

} // namespace
} // namespace tessary
