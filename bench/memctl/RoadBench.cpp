// 16 MB written and read back in 8192-byte blocks through the whole road (MemoryController ->
// LibraryPort -> liblnkutil -> simulated board), against memcpy + memcmp of the same bytes in
// the same run. The report's last line gives the ratio of the two rates.
#include "MemoryController.h"
#include "PortFactory.h"
#include "Session.h"
#include "lnkutil.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numeric>
#include <vector>

namespace {

using namespace tessary;

constexpr int32_t kTotal = 16 * 1024 * 1024;

std::vector<uint8_t> MakeData() {
    std::vector<uint8_t> data(kTotal);
    std::iota(data.begin(), data.end(), uint8_t{7});
    return data;
}

void BM_MemcpyMemcmp(benchmark::State& state) {
    const auto data = MakeData();
    std::vector<uint8_t> board(kTotal);
    std::vector<uint8_t> back(TransferBlockSize);
    for (auto _ : state) {
        bool equal = true;
        for (int32_t at = 0; at < kTotal; at += TransferBlockSize) {
            std::memcpy(board.data() + at, data.data() + at, TransferBlockSize);
        }
        for (int32_t at = 0; at < kTotal; at += TransferBlockSize) {
            std::memcpy(back.data(), board.data() + at, TransferBlockSize);
            equal &= std::memcmp(back.data(), data.data() + at, TransferBlockSize) == 0;
        }
        benchmark::DoNotOptimize(equal);
        if (!equal) {
            state.SkipWithError("memcmp differs");
        }
    }
    state.SetBytesProcessed(state.iterations() * int64_t{kTotal});
}

// The board the road benchmark opens: the table's default device.
Session& BenchSession() {
    static Session session;
    return session;
}

void BM_ControllerRoad(benchmark::State& state) {
    const Session& session = BenchSession();
    const auto data = MakeData();
    std::vector<uint8_t> back(TransferBlockSize);
    const BuiltPort built = BuildPort(session);
    if (!built.port) {
        state.SkipWithError("cannot build the port");
        return;
    }
    MemoryController controller(session, *built.port);
    if (!controller.Connect(session.deviceName.c_str())) {
        state.SkipWithError("cannot connect to the simulated board");
        return;
    }
    for (auto _ : state) {
        bool ok = true;
        for (int32_t at = 0; at < kTotal; at += TransferBlockSize) {
            ok &= controller.WriteRam(at, data.data() + at, TransferBlockSize);
        }
        for (int32_t at = 0; at < kTotal; at += TransferBlockSize) {
            ok &= controller.ReadRam(at, back.data(), TransferBlockSize);
            ok &= std::memcmp(back.data(), data.data() + at, TransferBlockSize) == 0;
        }
        if (!ok) {
            state.SkipWithError("transfer or compare failed");
        }
    }
    controller.Disconnect();
    state.SetBytesProcessed(state.iterations() * int64_t{kTotal});
}

BENCHMARK(BM_MemcpyMemcmp)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_ControllerRoad)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// Prints each run, and the road's rate as a share of the baseline at the end.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const double time = run.GetAdjustedRealTime();
            if (run.benchmark_name().find("Memcpy") != std::string::npos) {
                baseline_ = time;
            } else if (run.benchmark_name().find("Road") != std::string::npos) {
                road_ = time;
            }
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        if (baseline_ > 0 && road_ > 0) {
            std::printf("road rate / memcpy+memcmp rate: %.1f%% (target: at least 30%%)\n",
                        100.0 * baseline_ / road_);
        }
    }

  private:
    double baseline_ = 0;
    double road_ = 0;
};

} // namespace

int main(int argc, char** argv) {
    // The built-in table's simulated board, its memories in this process only.
    setenv("LNKUTIL_DEVICES", "/nonexistent/tessary-bench-devices.conf", 1);
    setenv("LNKUTIL_DATA_DIR", "", 1);
    LnkErc erc = 0;
    if (!LnkInit(&erc)) {
        std::fprintf(stderr, "memctl_bench: the device library did not start\n");
        return 1;
    }
    char name[20] = {};
    if (ZmgrGetDevName(ZmgrGetDefaultDev(&erc), name, &erc)) {
        BenchSession().deviceName = name;
    }
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    LnkTerm();
    return 0;
}
