// tessary-rtl-board: the controller's gateware, verilated, on a pseudo-terminal. Clients see a
// board whose serial line, frame engine, registers, RAM and Flash bus are the RTL's own.
#include "DefaultBaud.h"
#include "Flash.h"
#include "FlashLayout.h"
#include "Interrupt.h"
#include "MemoryImage.h"
#include "RtlModel.h"
#include "RtlPeer.h"
#include "SimBoard.h"
#include "SpiLog.h"
#include "Terminal.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>

using namespace tessary;

namespace {

// A W25Q128-class part: 16 MB, and its typical times.
constexpr uint32_t kSpiChipSize = 1u << 24;
constexpr double kSpiPageUs = 700;
constexpr double kSpiErase4KMs = 45;
constexpr double kSpiErase32KMs = 120;
constexpr double kSpiErase64KMs = 150;

} // namespace

int main(int argc, char** argv) {
    CLI::App app{"The memory controller's gateware (gateware/), verilated, with 16 MB of RAM and "
                 "the simulated board's Intel-style Flash chip on its buses (or, with --flash-bus "
                 "spi, a 16 MB serial NOR chip behind its SPI back end). Its UART pins are "
                 "bridged bit by bit to a new pseudo-terminal at the given baud rate in "
                 "simulated time; it prints the path a client opens (one line on stdout). SIGINT "
                 "or SIGTERM end it.",
                 "tessary-rtl-board"};
    std::string layout(kDefaultFlashLayout);
    std::string images;
    std::string name = "SimBoard";
    std::string protocol = "fast";
    std::string stats;
    int registerBase = 0;
    uint32_t busyReads = 3;
    std::vector<uint32_t> lockedBlocks;
    bool neverReady = false;
    uint32_t baud = kDefaultBaud;
    uint32_t clockHz = 48000000;
    double programUs = 10;
    double eraseMs = 500;
    double timeScale = 1;
    std::string flashBus = "parallel";
    uint32_t flashOffset = 1u << 20;
    std::string spiLog;

    app.add_option("--register-base", registerBase,
                   "First register of the memory controller: 0 to 0xF8, a multiple of 8")
        ->check(CLI::Range(0, 0xF8))
        ->default_val(0);
    app.add_option("--flash", layout, "Flash chip: " + board::FlashLayoutChoices())
        ->check(CLI::IsMember(board::FlashLayoutNames(), CLI::ignore_case))
        ->default_val(std::string(kDefaultFlashLayout));
    app.add_option("--images", images,
                   "Keep RAM and Flash in image files NAME.ram and NAME.flash in this directory");
    app.add_option("--name", name, "Board name for the image files")->default_val("SimBoard");
    app.add_option("--busy-reads", busyReads,
                   "Status reads that report busy after an erase before the chip is ready")
        ->default_val(3);
    app.add_option("--locked-blocks", lockedBlocks,
                   "Indexes of Flash blocks that refuse erase and programming");
    app.add_flag("--never-ready", neverReady, "The Flash never finishes an erase");
    app.add_option("--program-us", programUs,
                   "Microseconds the Flash takes to program a byte, busy meanwhile")
        ->check(CLI::Range(0.0, 10000.0))
        ->default_val(board::kTypicalProgramMicros);
    app.add_option("--erase-ms", eraseMs,
                   "Milliseconds the Flash takes to erase a 128K block (smaller blocks in "
                   "proportion), busy meanwhile")
        ->check(CLI::Range(0.0, 10000.0))
        ->default_val(board::kTypicalEraseMillis);
    app.add_option("--time-scale", timeScale,
                   "Factor on the Flash's program and erase times (below 1: a faster chip); "
                   "default: LNKUTIL_SIM_TIME_SCALE when set, else 1")
        ->check(CLI::Range(0.0, 100.0))
        ->envname("LNKUTIL_SIM_TIME_SCALE")
        ->default_val(1);
    app.add_option("--protocol", protocol,
                   "fast: announce the fast protocol in the identity; basic: a basic board")
        ->check(CLI::IsMember({"basic", "fast"}))
        ->default_val("fast");
    app.add_option("--baud", baud, "Line speed in simulated time")
        ->check(CLI::Range(300u, 12000000u))
        ->default_val(kDefaultBaud);
    app.add_option("--clock-hz", clockHz, "The controller's simulated clock")
        ->check(CLI::Range(1000000u, 200000000u))
        ->default_val(48000000);
    app.add_option("--flash-bus", flashBus,
                   "parallel: the Intel-style chip on the Flash bus; spi: a 16 MB serial NOR chip "
                   "(0.7 ms a page, 45 ms a 4K sector, 120 ms 32K, 150 ms 64K, times "
                   "--time-scale) behind the SPI back end, the host's Flash at --flash-offset")
        ->check(CLI::IsMember({"parallel", "spi"}))
        ->default_val("parallel");
    app.add_option("--flash-offset", flashOffset,
                   "spi: the chip address of the host's Flash address 0, a multiple of 64K; the "
                   "chip reports any program or erase below it")
        ->check(CLI::Range(0u, (1u << 24) - (64u << 10)))
        ->default_val(1u << 20);
    app.add_option("--spi-log", spiLog,
                   "spi: at the end, write every command the chip was given and every fault it "
                   "saw to this file");
    app.add_option("--stats", stats,
                   "At the end, write the simulated clock cycles and the bytes carried each way "
                   "to this file");
    CLI11_PARSE(app, argc, argv);

    const bool spi = flashBus == "spi";
    if (flashOffset % (64u << 10) != 0) {
        std::cerr << "tessary-rtl-board: --flash-offset must be a multiple of 64K\n";
        return 2;
    }
    if (registerBase % 8 != 0) {
        std::cerr << "tessary-rtl-board: --register-base must be a multiple of 8\n";
        return 2;
    }
    const uint32_t divisor = (clockHz + baud / 2) / baud;
    if (divisor < 4 || divisor > 0xFFFF) {
        std::cerr << "tessary-rtl-board: --clock-hz / --baud must lie between 4 and 65535\n";
        return 2;
    }
    // Before anything that may start a thread: every thread keeps SIGINT and SIGTERM blocked.
    peer::Interrupt interrupt;
    const board::FlashLayout flashLayout = *board::ParseFlashLayout(layout);
    std::string ramPath;
    std::string flashPath;
    if (!images.empty()) {
        std::filesystem::create_directories(images);
        ramPath = images + "/" + name + ".ram";
        flashPath = images + "/" + name + ".flash";
    }
    std::string error;
    board::MemoryImage ram;
    board::MemoryImage flashImage;
    // The SPI chip's image is the whole chip, its bitstream area below the offset included.
    const uint32_t flashImageSize = spi ? kSpiChipSize : board::FlashLayoutSize(flashLayout);
    if (!ram.Open(ramPath, board::kRamSize, 0x00, &error) ||
        !flashImage.Open(flashPath, flashImageSize, 0xFF, &error)) {
        std::cerr << "tessary-rtl-board: " << error << "\n";
        return 1;
    }
    const std::span<const uint32_t> blocks = board::FlashBlockSizes(flashLayout);
    std::optional<board::Flash> flash; // the Intel-style chip, on the parallel bus only
    if (!spi) {
        flash.emplace(flashImage.data(), blocks);
        flash->SetBusyReads(busyReads);
        flash->SetLockedBlocks(lockedBlocks);
        flash->SetNeverReady(neverReady);
    }

    rtl::RtlSettings settings;
    settings.baudDivisor = divisor;
    settings.registerBase = static_cast<uint8_t>(registerBase);
    settings.fast = protocol == "fast";
    settings.announcedFlashSize = board::FlashLayoutSize(flashLayout);
    // Simulated time: microseconds become clock cycles.
    const double cyclesPerUs = clockHz / 1e6 * timeScale;
    const auto cycles = [cyclesPerUs](double us) {
        return static_cast<uint64_t>(us * cyclesPerUs + 0.5);
    };
    rtl::FlashTiming timing;
    timing.programCycles = cycles(programUs);
    timing.eraseCycles128K = cycles(eraseMs * 1000);
    settings.flashOffset = flashOffset;
    settings.topBoot = blocks.back() != board::kEraseTimeBlock; // 512k, 1m: 96K, 8K, 8K, 16K
    rtl::SpiNorTiming spiTiming;
    spiTiming.pageProgramCycles = cycles(kSpiPageUs);
    spiTiming.erase4KCycles = cycles(kSpiErase4KMs * 1000);
    spiTiming.erase32KCycles = cycles(kSpiErase32KMs * 1000);
    spiTiming.erase64KCycles = cycles(kSpiErase64KMs * 1000);
    rtl::SpiNor chip(flashImage.bytes(), flashOffset, spiTiming);
    chip.KeepLog(!spiLog.empty());
    std::unique_ptr<rtl::RtlModel> built =
        spi ? std::make_unique<rtl::RtlModel>(settings, ram.bytes(), chip)
            : std::make_unique<rtl::RtlModel>(settings, ram.bytes(), *flash, timing);
    rtl::RtlModel& model = *built;

    peer::Terminal terminal;
    if (!interrupt.ok() || !terminal.OpenPseudoTerminal(&error)) {
        std::cerr << "tessary-rtl-board: " << error << "\n";
        return 1;
    }
    std::printf("%s\n", terminal.path().c_str());
    std::fflush(stdout);

    rtl::RtlPeer peer(terminal.fd(), model, divisor, clockHz, interrupt);
    const bool ended = peer.Run();
    if (!stats.empty()) {
        std::ofstream(stats) << "cycles " << model.Cycles() << "\nclock_hz " << clockHz
                             << "\nbytes_in " << peer.BytesToController() << "\nbytes_out "
                             << peer.BytesFromController() << "\n";
        if (spi) {
            std::ofstream(stats, std::ios::app) << "spi_faults " << chip.Faults().size() << "\n";
        }
    }
    if (!spiLog.empty() && !rtl::WriteSpiLog(spiLog, chip)) {
        std::cerr << "tessary-rtl-board: cannot write " << spiLog << "\n";
    }
    for (const std::string& fault : chip.Faults()) {
        std::cerr << "tessary-rtl-board: the SPI Flash saw: " << fault << "\n";
    }
    if (!ended) {
        std::cerr << "tessary-rtl-board: " << terminal.path() << ": the line failed\n";
        return 1;
    }
    return 0;
}
