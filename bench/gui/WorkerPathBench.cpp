// Load RAM with verify of 16 MB on the built-in simulated board: called directly, and through the
// desktop program's worker-thread path (OperationRunner: the operation on a worker thread, every
// status text and progress report a queued signal handled by the event loop). Target: the worker
// path within 5 % of the direct call ("worker_over_direct" below 1.05).
//
// Both paths run on one processor. A virtual machine's processors often differ in speed (on the
// one this was written on, by a third), and which one the worker thread happens to land on would
// decide the comparison; on one processor the worker path also pays for the user-interface thread's
// share of the work, which on two it would do on the side.
#include "LoadOperations.h"
#include "OperationRunner.h"
#include "Session.h"
#include "Sinks.h"
#include "lnkutil.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <numeric>
#include <sched.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int32_t kTotal = 16 << 20;

class CountingStatus : public tessary::StatusSink {
  public:
    void SetStatusText(const std::string& text) override {
        last = text;
        ++texts;
    }
    void ReportProgress(int64_t, int64_t) override { ++reports; }
    std::string last;
    int64_t texts = 0;
    int64_t reports = 0;
};

class CountingMessages : public tessary::MessageSink {
  public:
    void ShowMessage(const std::string&, const std::string&, tessary::MessageIcon, bool) override {
        ++count;
    }
    int count = 0;
};

// A run of a few milliseconds on a shared machine is now and then twice as long as the next
// (another process, a thread started on the busier core): the median says what the path costs.
double Median(std::vector<double> times) {
    std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
    return times[times.size() / 2];
}

double Mean(const std::vector<double>& times) {
    return std::accumulate(times.begin(), times.end(), 0.0) / static_cast<double>(times.size());
}

template <typename F> double Timed(F&& run) {
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Keeps this thread, and the threads it starts, on the processor it runs on now.
void StayOnThisProcessor() {
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(::sched_getcpu(), &one);
    ::sched_setaffinity(0, sizeof(one), &one);
}

void BM_LoadRamVerify16MB(benchmark::State& state) {
    StayOnThisProcessor();
    int argc = 1;
    char name[] = "worker_path_bench";
    char* argv[] = {name, nullptr};
    QCoreApplication application(argc, argv);
    ::setenv("LNKUTIL_DEVICES", "", 1);
    ::setenv("LNKUTIL_DATA_DIR", "", 1);
    LnkErc erc = 0;
    LnkInit(&erc);
    const char* dir = std::getenv("TESSARY_BENCH_DIR");
    const std::string input = std::string(dir != nullptr ? dir : "/tmp") + "/tessary-worker-in.bin";
    {
        std::string bytes(kTotal, '\0');
        for (int32_t i = 0; i < kTotal; ++i) {
            bytes[i] = static_cast<char>(i * 31 + (i >> 13));
        }
        std::ofstream(input, std::ios::binary) << bytes;
    }
    tessary::Session session;
    session.deviceName = "SimBoard";
    tessary::LoadRequest request;
    request.fileName = input;
    request.verify = true;
    CountingStatus status;
    CountingMessages messages;
    tessary::OperationRunner runner(status, nullptr);
    tessary::LoadRamOperation(session, request, status, messages); // first touch of every page

    std::vector<double> direct;
    std::vector<double> worker;
    const auto runDirect = [&] {
        direct.push_back(Timed([&] {
            tessary::LoadRamOperation(session, request, status, messages,
                                      tessary::CancelToken::Never());
        }));
    };
    const auto runWorker = [&] {
        worker.push_back(Timed([&] {
            QEventLoop loop;
            QObject::connect(&runner, &tessary::OperationRunner::Finished, &loop,
                             &QEventLoop::quit);
            runner.Start(
                [&](tessary::StatusSink& s, tessary::MessageSink& m,
                    const tessary::CancelToken& cancel) {
                    return tessary::LoadRamOperation(session, request, s, m, cancel);
                },
                messages);
            loop.exec();
        }));
    };
    bool workerFirst = false;
    for (auto _ : state) {
        // Alternate which path goes first, so that neither always finds the caches the other
        // left behind.
        if (workerFirst) {
            runWorker();
            runDirect();
        } else {
            runDirect();
            runWorker();
        }
        workerFirst = !workerFirst;
        if (messages.count != 0 || status.last.rfind("RAM load complete", 0) != 0) {
            state.SkipWithError("load failed");
            break;
        }
    }
    const double megabytes = kTotal / 1e6;
    state.counters["direct_MBps"] = megabytes / Median(direct);
    state.counters["worker_MBps"] = megabytes / Median(worker);
    state.counters["worker_over_direct"] = Median(worker) / Median(direct);
    state.counters["mean_worker_over_direct"] = Mean(worker) / Mean(direct);
    LnkTerm();
    ::unlink(input.c_str());
}

} // namespace

BENCHMARK(BM_LoadRamVerify16MB)->Iterations(101)->Unit(benchmark::kMillisecond);
