// 16 MB written to a simulated board's RAM and read back in 8192-byte blocks through the
// library's C interface, against memcpy + memcmp of the same bytes in the same run.
#include "lnkutil.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr size_t kTotal = 16u << 20;
constexpr size_t kBlock = 8192;

std::vector<uint8_t> Source() {
    std::vector<uint8_t> data(kTotal);
    for (size_t i = 0; i < kTotal; ++i) {
        data[i] = static_cast<uint8_t>(i * 31 + (i >> 13));
    }
    return data;
}

void SetAddress(LnkHandle handle, uint32_t address) {
    const uint8_t regs[] = {1, 2, 3};
    const uint8_t bytes[] = {static_cast<uint8_t>(address), static_cast<uint8_t>(address >> 8),
                             static_cast<uint8_t>(address >> 16)};
    LnkErc erc = 0;
    LnkPutRegSet(handle, regs, bytes, 3, &erc, nullptr);
}

double Seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// One pass of the baseline: the same bytes copied in and compared, block by block.
bool MemcpyPass(const std::vector<uint8_t>& source, std::vector<uint8_t>& target) {
    bool equal = true;
    for (size_t at = 0; at < kTotal; at += kBlock) {
        std::memcpy(target.data() + at, source.data() + at, kBlock);
    }
    for (size_t at = 0; at < kTotal; at += kBlock) {
        equal &= std::memcmp(target.data() + at, source.data() + at, kBlock) == 0;
    }
    return equal;
}

// One pass through the library: each block is an address set and a repeated access.
bool LibraryPass(LnkHandle handle, const std::vector<uint8_t>& source, uint8_t* back) {
    bool equal = true;
    LnkErc erc = 0;
    for (size_t at = 0; at < kTotal; at += kBlock) {
        SetAddress(handle, static_cast<uint32_t>(at));
        equal &= LnkPutRegRepeat(handle, 6, source.data() + at, kBlock, &erc, nullptr);
    }
    for (size_t at = 0; at < kTotal; at += kBlock) {
        SetAddress(handle, static_cast<uint32_t>(at));
        equal &= LnkGetRegRepeat(handle, 6, back, kBlock, &erc, nullptr);
        equal &= std::memcmp(back, source.data() + at, kBlock) == 0;
    }
    return equal;
}

void BM_RamThroughLnkutilVsMemcpy(benchmark::State& state) {
    setenv("LNKUTIL_DEVICES", "", 1);  // the built-in boards
    setenv("LNKUTIL_DATA_DIR", "", 1); // memories in this process only
    LnkErc erc = 0;
    LnkHandle handle = 0;
    if (!LnkInit(&erc) || !LnkOpenData(&handle, "SimBoard", &erc, nullptr)) {
        state.SkipWithError("no simulated board");
        return;
    }
    const auto source = Source();
    std::vector<uint8_t> target(kTotal);
    std::vector<uint8_t> back(kBlock);
    // Touch every page once so neither side pays for first faults.
    MemcpyPass(source, target);
    LibraryPass(handle, source, back.data());

    double baseline = 0;
    double library = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(MemcpyPass(source, target));
        auto middle = std::chrono::steady_clock::now();
        if (!LibraryPass(handle, source, back.data())) {
            state.SkipWithError("read-back differs");
            break;
        }
        auto end = std::chrono::steady_clock::now();
        baseline += Seconds(middle - start);
        library += Seconds(end - middle);
    }
    state.counters["library_MBps"] = state.iterations() * (kTotal / 1e6) / library;
    state.counters["memcpy_MBps"] = state.iterations() * (kTotal / 1e6) / baseline;
    state.counters["ratio"] = baseline / library;
    LnkCloseData(handle, &erc);
    LnkTerm();
}

} // namespace

BENCHMARK(BM_RamThroughLnkutilVsMemcpy)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK_MAIN();
