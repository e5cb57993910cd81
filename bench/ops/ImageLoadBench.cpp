// What images and preservation cost, each against a baseline measured in the same run:
// - a 16 MB Intel HEX file loaded into RAM against the same data as a raw binary (the parsing
//   cost; the target is a ratio of at most 2), on the built-in simulated board and on
//   tessary-board over a pseudo-terminal;
// - a 100-byte Load Flash into the middle of a 128K block on tessary-board paced like a 115200
//   baud line, with and without keeping the rest of the block (the cost of one partly covered
//   block), with verify on as the page has it.
#include "BoardProcess.h"
#include "ImageText.h"
#include "LoadOperations.h"
#include "Session.h"
#include "Sinks.h"
#include "lnkutil.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

namespace tessary {
namespace {

class LastStatus : public StatusSink {
  public:
    void SetStatusText(const std::string& text) override { last = text; }
    std::string last;
};

class CountMessages : public MessageSink {
  public:
    void ShowMessage(const std::string&, const std::string&, MessageIcon, bool) override {
        ++count;
    }
    int count = 0;
};

// A load of 16 MB from memory is a matter of tens of milliseconds, and now and then one takes
// twice as long as the next (the files just written going to disk, another process): the median
// says what each costs.
double Median(std::vector<double> times) {
    std::nth_element(times.begin(), times.begin() + static_cast<std::ptrdiff_t>(times.size() / 2),
                     times.end());
    return times[times.size() / 2];
}

double Timed(const std::function<bool()>& run, bool& ok) {
    const auto start = std::chrono::steady_clock::now();
    ok = run() && ok;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::filesystem::path BenchDirectory() {
    const char* dir = std::getenv("TESSARY_BENCH_DIR");
    auto path = std::filesystem::path(dir != nullptr ? dir : "/tmp") /
                ("tessary-image-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(path);
    return path;
}

// Writes 16 MB of data as in.bin and as in.hex into dir.
void WriteImageFiles(const std::filesystem::path& dir) {
    constexpr std::size_t kSize = 16 << 20;
    std::vector<uint8_t> data(kSize);
    for (std::size_t i = 0; i < kSize; ++i) {
        data[i] = static_cast<uint8_t>(i * 31 + (i >> 13));
    }
    std::ofstream(dir / "in.bin", std::ios::binary)
        .write(reinterpret_cast<const char*>(data.data()), kSize);
    image::Image image;
    image.Add(0, data);
    std::ofstream(dir / "in.hex", std::ios::binary)
        << image::WriteImageText(image, image::ImageFormat::IntelHex);
    ::sync(); // not to time the files' way to disk
}

// Loads in.bin and in.hex of dir into RAM by turns, with verify when the benchmark's argument
// is 1, and reports the median of each and their ratio.
void LoadBothByTurns(benchmark::State& state, const Session& session,
                     const std::filesystem::path& dir) {
    const bool verify = state.range(0) != 0;
    LastStatus status;
    CountMessages messages;
    auto load = [&](const char* name) {
        LoadRequest request;
        request.fileName = (dir / name).string();
        request.verify = verify;
        return [&, request] {
            return LoadRamOperation(session, request, status, messages) && messages.count == 0;
        };
    };
    std::vector<double> binary, hex;
    bool ok = true;
    Timed(load("in.bin"), ok); // the first of each, with the files' pages still to be cached
    Timed(load("in.hex"), ok); // and the board's memory to be touched
    for (auto _ : state) {
        binary.push_back(Timed(load("in.bin"), ok));
        hex.push_back(Timed(load("in.hex"), ok));
    }
    if (!ok) {
        state.SkipWithError("a load failed");
        return;
    }
    state.counters["binary_s"] = Median(binary);
    state.counters["hex_s"] = Median(hex);
    state.counters["hex/binary"] = Median(hex) / Median(binary);
}

// The built-in simulated board, whose memory is in this process: a load is little more than
// copying, and a binary file of 16 MB goes in a few milliseconds.
void HexAgainstBinary16M(benchmark::State& state) {
    const std::filesystem::path dir = BenchDirectory();
    WriteImageFiles(dir);
    ::setenv("LNKUTIL_DEVICES", "", 1);
    ::setenv("LNKUTIL_DATA_DIR", "", 1);
    LnkErc erc = 0;
    LnkInit(&erc);
    Session session;
    session.deviceName = "SimBoard";
    LoadBothByTurns(state, session, dir);
    LnkTerm();
    std::filesystem::remove_all(dir);
}

// tessary-board on a pseudo-terminal, unpaced: the serial road at the speed of the machine.
void HexAgainstBinary16MOverPty(benchmark::State& state) {
    const std::filesystem::path dir = BenchDirectory();
    WriteImageFiles(dir);
    test::BoardProcess board;
    Session session;
    session.interfaceType = kInterfaceSerial;
    session.deviceName = board.Path();
    LoadBothByTurns(state, session, dir);
    std::filesystem::remove_all(dir);
}

void KeepOneBlockOnA115200Line(benchmark::State& state) {
    const std::filesystem::path dir = BenchDirectory();
    // The board's Flash is full of data, as after an earlier load.
    std::vector<char> flash(0x80000);
    for (std::size_t i = 0; i < flash.size(); ++i) {
        flash[i] = static_cast<char>(i * 7 + 1);
    }
    std::ofstream(dir / "Bench.flash", std::ios::binary).write(flash.data(), flash.size());
    std::ofstream(dir / "small.bin", std::ios::binary).write(flash.data(), 100);
    test::BoardProcess board(
        {"--baud", "115200", "--images", dir.string(), "--name", "Bench", "--busy-reads", "3"});
    Session session;
    session.interfaceType = kInterfaceSerial;
    session.deviceName = board.Path();
    LastStatus status;
    CountMessages messages;
    auto load = [&](bool preserve) {
        LoadRequest request;
        request.fileName = (dir / "small.bin").string();
        request.startAddress = 0x30000 - 50; // the middle of block 1 (0x20000 to 0x3FFFF)
        request.verify = true;
        request.autoErase = true;
        request.preserve = preserve;
        return [&, request] {
            return LoadFlashOperation(session, request, status, messages) && messages.count == 0;
        };
    };
    double kept = 0, plain = 0;
    bool ok = true;
    for (auto _ : state) {
        kept += Timed(load(true), ok); // first, while the block still holds data to keep
        plain += Timed(load(false), ok);
    }
    std::filesystem::remove_all(dir);
    if (!ok) {
        state.SkipWithError("a load failed");
        return;
    }
    const auto runs = static_cast<double>(state.iterations());
    state.counters["with_keep_s"] = kept / runs;
    state.counters["without_s"] = plain / runs;
    state.counters["keep_cost_s_per_128K_block"] = (kept - plain) / runs;
}

// Argument: verify on (1) or off (0).
BENCHMARK(HexAgainstBinary16M)
    ->Arg(1)
    ->Arg(0)
    ->Iterations(7)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);
BENCHMARK(HexAgainstBinary16MOverPty)
    ->Arg(1)
    ->Arg(0)
    ->Iterations(3)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);
BENCHMARK(KeepOneBlockOnA115200Line)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

} // namespace
} // namespace tessary
