// The operations against the bare controller road in the same run, on the built-in simulated
// boards: Load RAM with verify and Store RAM of 16 MB, and Erase + program + verify of 16 MB of
// Flash. "bare" is the controller transfer plus the same file reads or writes done plainly;
// "transfer" is the controller transfer alone. Files go to $TESSARY_BENCH_DIR (default /tmp):
// on a disk the safe store's flush to the disk shows, on tmpfs only the code's own cost.
#include "FlashErase.h"
#include "LoadOperations.h"
#include "MemoryController.h"
#include "PortFactory.h"
#include "Session.h"
#include "Sinks.h"
#include "StoreOperations.h"
#include "lnkutil.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using tessary::TransferBlockSize;

constexpr int32_t kTotal = 16 << 20;

class DiscardStatus : public tessary::StatusSink {
  public:
    void SetStatusText(const std::string& text) override { last = text; }
    std::string last;
};

class CountMessages : public tessary::MessageSink {
  public:
    void ShowMessage(const std::string&, const std::string&, tessary::MessageIcon, bool) override {
        ++count;
    }
    int count = 0;
};

double Seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

template <typename F> double Timed(F&& run) {
    const auto start = std::chrono::steady_clock::now();
    run();
    return Seconds(std::chrono::steady_clock::now() - start);
}

// The simulated boards of the built-in table, their memories in this process only.
class Boards {
  public:
    Boards() {
        ::setenv("LNKUTIL_DEVICES", "", 1);
        ::setenv("LNKUTIL_DATA_DIR", "", 1);
        LnkErc erc = 0;
        ready = LnkInit(&erc);
        session.interfaceType = tessary::kInterfaceLibrary;
        Use("SimBoard", 0);
        const char* dir = std::getenv("TESSARY_BENCH_DIR");
        directory = dir != nullptr ? dir : "/tmp";
        input = directory + "/tessary-bench-in.bin";
        output = directory + "/tessary-bench-out.bin";
        std::vector<char> bytes(kTotal);
        for (int32_t i = 0; i < kTotal; ++i) {
            bytes[i] = static_cast<char>(i * 31 + (i >> 13));
        }
        std::ofstream(input, std::ios::binary).write(bytes.data(), kTotal);
    }
    ~Boards() {
        ::unlink(input.c_str());
        ::unlink(output.c_str());
        LnkTerm();
    }
    void Use(const char* device, int32_t configuration) {
        session.deviceName = device;
        session.memoryConfiguration = configuration;
    }

    tessary::Session session;
    bool ready = false;
    std::string directory;
    std::string input;
    std::string output;
};

tessary::LoadRequest WholeFile(const std::string& path, bool autoErase) {
    tessary::LoadRequest request;
    request.fileName = path;
    request.verify = true;
    request.autoErase = autoErase;
    return request;
}

// The bare road of a verified load: blocks written with WriteRam, read back and compared. The
// blocks come from the file, or (path empty) from memory: the controller transfer alone.
bool BareLoad(const tessary::Session& session, const std::string& path) {
    const tessary::BuiltPort built = tessary::BuildPort(session);
    if (!built.port) {
        return false;
    }
    tessary::MemoryController controller(session, *built.port);
    if (!controller.Connect(session.deviceName.c_str())) {
        return false;
    }
    const int fd = path.empty() ? -1 : ::open(path.c_str(), O_RDONLY);
    std::vector<uint8_t> block(TransferBlockSize, 0x5A);
    std::vector<uint8_t> back(TransferBlockSize);
    bool ok = path.empty() || fd >= 0;
    for (int32_t at = 0; ok && at < kTotal; at += TransferBlockSize) {
        ok = (fd < 0 || ::read(fd, block.data(), TransferBlockSize) == TransferBlockSize) &&
             controller.WriteRam(at, block.data(), TransferBlockSize) &&
             controller.ReadRam(at, back.data(), TransferBlockSize) &&
             std::memcmp(block.data(), back.data(), TransferBlockSize) == 0;
    }
    if (fd >= 0) {
        ::close(fd);
    }
    controller.Disconnect();
    return ok;
}

// The bare road of a store: ReadRam blocks written straight into the file, or (path empty)
// nowhere: the controller transfer alone.
bool BareStore(const tessary::Session& session, const std::string& path) {
    const tessary::BuiltPort built = tessary::BuildPort(session);
    if (!built.port) {
        return false;
    }
    tessary::MemoryController controller(session, *built.port);
    if (!controller.Connect(session.deviceName.c_str())) {
        return false;
    }
    const int fd = path.empty() ? -1 : ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<uint8_t> block(TransferBlockSize);
    bool ok = path.empty() || fd >= 0;
    for (int32_t at = 0; ok && at < kTotal; at += TransferBlockSize) {
        ok = controller.ReadRam(at, block.data(), TransferBlockSize) &&
             (fd < 0 || ::write(fd, block.data(), TransferBlockSize) == TransferBlockSize);
    }
    if (fd >= 0) {
        ok = ::close(fd) == 0 && ok;
    }
    controller.Disconnect();
    return ok;
}

// The rates of the three roads over all iterations, and how the operation compares to the two
// bare ones.
void ReportRoads(benchmark::State& state, double operation, double bare, double transfer) {
    const double megabytes = state.iterations() * (kTotal / 1e6);
    state.counters["operation_MBps"] = megabytes / operation;
    state.counters["bare_MBps"] = megabytes / bare;
    state.counters["transfer_MBps"] = megabytes / transfer;
    state.counters["operation_over_bare"] = operation / bare;
    state.counters["operation_over_transfer"] = operation / transfer;
}

void BM_LoadRamVerify16MB(benchmark::State& state) {
    Boards boards;
    DiscardStatus status;
    CountMessages messages;
    const auto request = WholeFile(boards.input, false);
    tessary::LoadRamOperation(boards.session, request, status,
                              messages); // first touch of every page
    double bare = 0;
    double transfer = 0;
    double operation = 0;
    for (auto _ : state) {
        bool ok = false;
        bool transferred = false;
        transfer += Timed([&] { transferred = BareLoad(boards.session, ""); });
        bare += Timed([&] { ok = BareLoad(boards.session, boards.input); });
        operation +=
            Timed([&] { tessary::LoadRamOperation(boards.session, request, status, messages); });
        if (!ok || !transferred || messages.count != 0) {
            state.SkipWithError("load failed");
            break;
        }
    }
    ReportRoads(state, operation, bare, transfer);
}

long PeakGrowthKiB(const std::function<void()>& run) {
    auto field = [](const char* name) {
        std::ifstream in("/proc/self/status");
        std::string line;
        while (std::getline(in, line)) {
            if (line.rfind(name, 0) == 0) {
                return std::atol(line.c_str() + std::strlen(name));
            }
        }
        return 0L;
    };
    std::ofstream("/proc/self/clear_refs") << "5"; // the peak starts again from the present size
    const long before = field("VmRSS:");
    run();
    return field("VmHWM:") - before;
}

void BM_StoreRam16MB(benchmark::State& state) {
    Boards boards;
    DiscardStatus status;
    CountMessages messages;
    tessary::LoadRamOperation(boards.session, WholeFile(boards.input, false), status, messages);
    auto store = [&](int32_t length) {
        const tessary::StoreRequest request{boards.output, 0, length, tessary::OutputMode::Replace,
                                            0};
        tessary::StoreRamToFile(boards.session, request, status, messages);
    };
    store(kTotal);
    const long growth1MB = PeakGrowthKiB([&] { store(1 << 20); });
    const long growth16MB = PeakGrowthKiB([&] { store(kTotal); });
    double bare = 0;
    double transfer = 0;
    double operation = 0;
    for (auto _ : state) {
        bool ok = false;
        bool transferred = false;
        transfer += Timed([&] { transferred = BareStore(boards.session, ""); });
        bare += Timed([&] { ok = BareStore(boards.session, boards.output); });
        operation += Timed([&] { store(kTotal); });
        if (!ok || !transferred || messages.count != 0) {
            state.SkipWithError("store failed");
            break;
        }
    }
    ReportRoads(state, operation, bare, transfer);
    state.counters["peak_growth_1MB_KiB"] = static_cast<double>(growth1MB);
    state.counters["peak_growth_16MB_KiB"] = static_cast<double>(growth16MB);
}

void BM_LoadFlashEraseProgramVerify16MB(benchmark::State& state) {
    Boards boards;
    DiscardStatus status;
    CountMessages messages;
    double flash = 0;
    double ram = 0;
    for (auto _ : state) {
        boards.Use("SimBoard-16M", 6);
        flash += Timed([&] {
            tessary::LoadFlashOperation(boards.session, WholeFile(boards.input, true), status,
                                        messages);
        });
        const bool flashLoaded = status.last.rfind("Flash Load complete", 0) == 0;
        boards.Use("SimBoard", 0);
        ram += Timed([&] {
            tessary::LoadRamOperation(boards.session, WholeFile(boards.input, false), status,
                                      messages);
        });
        if (!flashLoaded || messages.count != 0) {
            state.SkipWithError("flash load failed");
            break;
        }
    }
    state.counters["flash_MBps"] = state.iterations() * (kTotal / 1e6) / flash;
    state.counters["ram_MBps"] = state.iterations() * (kTotal / 1e6) / ram;
    state.counters["flash_over_ram"] = flash / ram;
}

} // namespace

BENCHMARK(BM_LoadRamVerify16MB)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_StoreRam16MB)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_LoadFlashEraseProgramVerify16MB)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK_MAIN();
