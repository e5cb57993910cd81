// How long a cancel takes to stop a running operation: from CancelToken::Cancel on another
// thread to the operation's return (the board disconnected, the file put back). On a simulated
// board slowed to 1 MB/s through the library, on tessary-board over a pty paced at 115200 baud
// through the serial interface, and on one that stalls its replies. Target: under 0.5 s.
#include "BoardProcess.h"
#include "LoadOperations.h"
#include "Session.h"
#include "Sinks.h"
#include "StoreOperations.h"
#include "lnkutil.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

class DiscardStatus : public tessary::StatusSink {
  public:
    void SetStatusText(const std::string&) override {}
};

class DiscardMessages : public tessary::MessageSink {
  public:
    void ShowMessage(const std::string&, const std::string&, tessary::MessageIcon, bool) override {}
};

// Runs the operation, cancels it after `after` from another thread and reports the time from
// the cancel to its return.
template <class Operation>
void MeasureCancel(benchmark::State& state, std::chrono::milliseconds after, Operation run) {
    double worst = 0;
    double total = 0;
    for (auto _ : state) {
        tessary::CancelToken cancel;
        std::atomic<Clock::time_point> cancelledAt{};
        std::thread canceller([&] {
            std::this_thread::sleep_for(after);
            cancelledAt = Clock::now();
            cancel.Cancel();
        });
        const bool succeeded = run(cancel);
        const Clock::time_point returned = Clock::now();
        canceller.join();
        if (succeeded || !cancel.Cancelled()) {
            state.SkipWithError("the operation ended before the cancel");
            return;
        }
        const double latency = std::chrono::duration<double>(returned - cancelledAt.load()).count();
        worst = std::max(worst, latency);
        total += latency;
        state.SetIterationTime(latency);
    }
    state.counters["cancel_latency_ms_mean"] =
        1000 * total / static_cast<double>(state.iterations());
    state.counters["cancel_latency_ms_worst"] = 1000 * worst;
}

std::string BenchPath(const char* name) {
    const char* dir = std::getenv("TESSARY_BENCH_DIR");
    return std::string(dir != nullptr ? dir : "/tmp") + "/" + name;
}

void WriteFile(const std::string& path, std::size_t size) {
    std::ofstream(path, std::ios::binary) << std::string(size, '\x5A');
}

// Load RAM with verify of a file of `size` bytes through the session, cancelled after 300 ms.
void MeasureLoadCancel(benchmark::State& state, const tessary::Session& session, const char* name,
                       std::size_t size) {
    const std::string input = BenchPath(name);
    WriteFile(input, size);
    tessary::LoadRequest request;
    request.fileName = input;
    request.verify = true;
    DiscardStatus status;
    DiscardMessages messages;
    MeasureCancel(state, std::chrono::milliseconds(300), [&](const tessary::CancelToken& cancel) {
        return tessary::LoadRamOperation(session, request, status, messages, cancel);
    });
    ::unlink(input.c_str());
}

// Runs `body` with the library initialised on a device table of `text`.
template <typename Body> void WithDeviceTable(const std::string& text, Body&& body) {
    const std::string table = BenchPath("tessary-cancel-devices.conf");
    std::ofstream(table) << text;
    ::setenv("LNKUTIL_DEVICES", table.c_str(), 1);
    ::setenv("LNKUTIL_DATA_DIR", "", 1);
    LnkErc erc = 0;
    LnkInit(&erc);
    body();
    LnkTerm();
    ::unlink(table.c_str());
}

// Load RAM with verify of 4 MB on a simulated board moving 1 MB/s, cancelled after 300 ms.
void BM_CancelLoadOnSlowSim(benchmark::State& state) {
    WithDeviceTable("Slow sim default speed=1000000\n", [&] {
        tessary::Session session;
        session.deviceName = "Slow";
        MeasureLoadCancel(state, session, "tessary-cancel-in.bin", 4 << 20);
    });
}

// Store RAM (Replace) of 1 MB from tessary-board over a pty paced at 115200 baud, cancelled
// after 300 ms: the frame under way is finished, the temporary file removed.
void BM_CancelStoreOverSerial115200(benchmark::State& state) {
    tessary::test::BoardProcess board({"--baud", "115200"});
    tessary::Session session;
    session.interfaceType = tessary::kInterfaceSerial;
    session.deviceName = board.Path();
    const std::string output = BenchPath("tessary-cancel-out.bin");
    tessary::StoreRequest request{output, 0, 1 << 20, tessary::OutputMode::Replace, 0};
    DiscardStatus status;
    DiscardMessages messages;
    MeasureCancel(state, std::chrono::milliseconds(300), [&](const tessary::CancelToken& cancel) {
        return tessary::StoreRamToFile(session, request, status, messages, cancel);
    });
}

// Store RAM of 1 MB from tessary-board with 16 requests in flight, the board stalling every
// reply for 3 s after connecting, cancelled after a second: the port stops waiting for the replies
// still due instead of taking them one stall after another.
void BM_CancelStoreFromAStallingBoard(benchmark::State& state) {
    tessary::test::BoardProcess board(
        {"--fault", "stall", "--stall-ms", "3000", "--fault-at", "5", "--window", "16"});
    tessary::Session session;
    session.interfaceType = tessary::kInterfaceSerial;
    session.deviceName = board.Path();
    session.serialWindow = 16;
    const std::string output = BenchPath("tessary-cancel-stall-out.bin");
    tessary::StoreRequest request{output, 0, 1 << 20, tessary::OutputMode::Replace, 0};
    DiscardStatus status;
    DiscardMessages messages;
    MeasureCancel(state, std::chrono::milliseconds(1000), [&](const tessary::CancelToken& cancel) {
        return tessary::StoreRamToFile(session, request, status, messages, cancel);
    });
}

// Load RAM of 1 MB to tessary-board paced at 115200 baud, cancelled after 300 ms.
void BM_CancelLoadOverSerial115200(benchmark::State& state) {
    tessary::test::BoardProcess board({"--baud", "115200"});
    tessary::Session session;
    session.interfaceType = tessary::kInterfaceSerial;
    session.deviceName = board.Path();
    MeasureLoadCancel(state, session, "tessary-cancel-serial-in.bin", 1 << 20);
}

// Load RAM of 1 MB to tessary-board paced at 115200 baud, reached as a serial device of
// liblnkutil's table (the library interface, not --serial), cancelled after 300 ms.
void BM_CancelLoadThroughLibrarySerialDevice115200(benchmark::State& state) {
    tessary::test::BoardProcess board({"--baud", "115200"});
    WithDeviceTable("Bench serial default path=" + board.Path() + " baud=115200\n", [&] {
        tessary::Session session;
        session.deviceName = "Bench";
        MeasureLoadCancel(state, session, "tessary-cancel-library-in.bin", 1 << 20);
    });
}

} // namespace

BENCHMARK(BM_CancelLoadOnSlowSim)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CancelStoreOverSerial115200)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CancelStoreFromAStallingBoard)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CancelLoadOverSerial115200)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CancelLoadThroughLibrarySerialDevice115200)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
