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
#include "Terminal.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>

using namespace tessary;

int main(int argc, char** argv) {
    CLI::App app{"The memory controller's gateware (gateware/), verilated, with 16 MB of RAM and "
                 "the simulated board's Intel-style Flash chip on its buses. Its UART pins are "
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
    app.add_option("--stats", stats,
                   "At the end, write the simulated clock cycles and the bytes carried each way "
                   "to this file");
    CLI11_PARSE(app, argc, argv);

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
    if (!ram.Open(ramPath, board::kRamSize, 0x00, &error) ||
        !flashImage.Open(flashPath, board::FlashLayoutSize(flashLayout), 0xFF, &error)) {
        std::cerr << "tessary-rtl-board: " << error << "\n";
        return 1;
    }
    board::Flash flash(flashImage.data(), board::FlashBlockSizes(flashLayout));
    flash.SetBusyReads(busyReads);
    flash.SetLockedBlocks(lockedBlocks);
    flash.SetNeverReady(neverReady);

    rtl::RtlSettings settings;
    settings.baudDivisor = divisor;
    settings.registerBase = static_cast<uint8_t>(registerBase);
    settings.fast = protocol == "fast";
    settings.announcedFlashSize = board::FlashLayoutSize(flashLayout);
    // Simulated time: microseconds become clock cycles.
    const double cyclesPerUs = clockHz / 1e6 * timeScale;
    rtl::FlashTiming timing;
    timing.programCycles = static_cast<uint64_t>(programUs * cyclesPerUs + 0.5);
    timing.eraseCycles128K = static_cast<uint64_t>(eraseMs * 1000 * cyclesPerUs + 0.5);
    rtl::RtlModel model(settings, ram.bytes(), flash, timing);

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
    }
    if (!ended) {
        std::cerr << "tessary-rtl-board: " << terminal.path() << ": the line failed\n";
        return 1;
    }
    return 0;
}
