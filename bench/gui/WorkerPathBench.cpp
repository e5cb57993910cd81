// Load RAM with verify of 16 MB on the built-in simulated board: called directly, and through the
// desktop program's worker-thread path (OperationRunner: the operation on a worker thread, every
// status text and progress report a queued signal handled by the event loop). Target: the worker
// path within 5 % of the direct call ("worker_over_direct" below 1.05).
#include "LoadOperations.h"
#include "OperationRunner.h"
#include "Session.h"
#include "Sinks.h"
#include "lnkutil.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

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

template <typename F> double Timed(F&& run) {
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_LoadRamVerify16MB(benchmark::State& state) {
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

    double direct = 0;
    double worker = 0;
    for (auto _ : state) {
        direct += Timed([&] {
            tessary::LoadRamOperation(session, request, status, messages,
                                      tessary::CancelToken::Never());
        });
        worker += Timed([&] {
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
        });
        if (messages.count != 0 || status.last.rfind("RAM load complete", 0) != 0) {
            state.SkipWithError("load failed");
            break;
        }
    }
    const double megabytes = static_cast<double>(state.iterations()) * (kTotal / 1e6);
    state.counters["direct_MBps"] = megabytes / direct;
    state.counters["worker_MBps"] = megabytes / worker;
    state.counters["worker_over_direct"] = worker / direct;
    LnkTerm();
    ::unlink(input.c_str());
}

} // namespace

BENCHMARK(BM_LoadRamVerify16MB)->Iterations(5)->Unit(benchmark::kMillisecond);
