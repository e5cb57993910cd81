// tessary-board: a simulated board on a serial line, for tests, benchmarks and demonstrations
// without hardware.
#include "Announcement.h"
#include "BoardPeer.h"
#include "DefaultBaud.h"
#include "FlashLayout.h"
#include "ImageClaim.h"
#include "Interrupt.h"
#include "MemoryConfigurations.h"
#include "SimBoard.h"
#include "Terminal.h"
#include "Version.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <sys/prctl.h>

using namespace tessary;

int main(int argc, char** argv) {
    CLI::App app{"Simulated board on a serial line: a memory controller with the RAM of a memory "
                 "configuration and an Intel-style Flash chip that takes a real part's time to "
                 "program and erase, answering the register protocol of Tessary's serial line. "
                 "It opens a new pseudo-terminal and, once it answers there, prints the path a "
                 "client opens (one line on stdout), or answers on a given tty. SIGINT or "
                 "SIGTERM end it.",
                 "tessary-board"};
    board::BoardConfig config;
    peer::PeerSettings settings;
    std::string tty;
    std::string layout(kDefaultFlashLayout);
    std::string configuration = Configurations().front().name;
    std::string images;
    std::string name = "SimBoard";
    std::string fault = "none";
    std::string protocolName = "fast";
    std::string extensions = "cfr";
    int maxPayload = protocol::kMaxFastPayload;
    int window = 0;
    int registerBase = 0;

    app.add_option("--tty", tty,
                   "Answer on this tty (8N1 raw, at --baud or " + std::to_string(kDefaultBaud) +
                       ") instead of a new pty");
    app.add_option("--register-base", registerBase,
                   "First register of the memory controller: 0 to 0xF8, a multiple of 8")
        ->check(CLI::Range(0, 0xF8))
        ->default_val(0);
    app.add_option("--flash", layout, "Flash chip: " + board::FlashLayoutChoices())
        ->check(CLI::IsMember(board::FlashLayoutNames(), CLI::ignore_case))
        ->default_val(std::string(kDefaultFlashLayout));
    app.add_option("--config", configuration,
                   "Memory configuration, which gives the board its RAM (q0: 128K, q1: 512K, "
                   "q2: 1024K, q3: none, parvel4 and parvel16: 16 MB); RAM addresses wrap at its "
                   "size")
        ->check(CLI::IsMember(ConfigurationNames(), CLI::ignore_case))
        ->default_val(Configurations().front().name);
    app.add_option("--program-us", config.programMicros,
                   "Microseconds the Flash takes to program a byte (before --time-scale)")
        ->default_val(board::kTypicalProgramMicros);
    app.add_option("--erase-ms", config.eraseMillis,
                   "Milliseconds the Flash takes to erase a 128K block, smaller blocks their share "
                   "(before --time-scale)")
        ->default_val(board::kTypicalEraseMillis);
    app.add_option("--time-scale", config.timeScale,
                   "Multiplies the Flash's times (0: at once); default: LNKUTIL_SIM_TIME_SCALE "
                   "when set, else 1")
        ->check(CLI::NonNegativeNumber)
        ->envname("LNKUTIL_SIM_TIME_SCALE")
        ->default_val(1.0);
    app.add_option("--images", images,
                   "Keep RAM and Flash in image files NAME.ram and NAME.flash in this directory "
                   "(the files liblnkutil's simulated boards use); without it the memories live "
                   "in this process only");
    app.add_option("--name", name, "Board name for the image files")->default_val("SimBoard");
    app.add_option("--busy-reads", config.busyReads,
                   "Status reads that report busy after an erase before the chip is ready")
        ->default_val(3);
    app.add_option("--locked-blocks", config.lockedBlocks,
                   "Indexes of Flash blocks that refuse erase and programming");
    app.add_flag("--never-ready", config.neverReady, "The Flash never finishes an erase");
    app.add_option("--identity", settings.identity,
                   "Identification text the board answers (at most 64 characters)")
        ->default_val(settings.identity);
    app.add_option("--baud", settings.baud,
                   "Carry bytes no faster than a line of this speed (10 bits a byte), each "
                   "direction on its own; 0 = as fast as the terminal takes them")
        ->default_val(0);
    app.add_option("--latency-ms", settings.latencyMs,
                   "Hold every reply this many milliseconds before the host can read it, like a "
                   "USB-serial adapter's latency timer")
        ->default_val(0);
    app.add_option("--rx-buffer", settings.rxBuffer,
                   "The board's receiver holds this many bytes while the board is busy replying; "
                   "bytes past them are lost (0 = no limit)")
        ->default_val(0);
    app.add_option("--protocol", protocolName,
                   "basic: the basic frames only, an identity without announcement; fast: "
                   "announce and answer the fast protocol (long frames, compact read, a window "
                   "of requests)")
        ->check(CLI::IsMember({"basic", "fast"}))
        ->default_val("fast");
    app.add_option("--extensions", extensions,
                   "What a fast board computes on its side and announces as x=: letters c "
                   "(checksum), f (fill), r (run-length reads); none = announce none")
        ->check(CLI::IsMember({"none", "c", "f", "r", "cf", "cr", "fr", "cfr"}))
        ->default_val(extensions);
    app.add_option("--max-payload", maxPayload,
                   "Fast protocol: the longest payload taken in a request and sent in a reply")
        ->check(CLI::Range(protocol::kMinFastPayload, protocol::kMaxFastPayload))
        ->default_val(protocol::kMaxFastPayload);
    app.add_option("--window", window,
                   "Fast protocol: requests the board announces it can hold at once (1 to 32); "
                   "default: what --rx-buffer holds of the longest requests, or 16 without a limit")
        ->check(CLI::Range(0, protocol::kMaxFastWindow))
        ->default_val(0);
    app.add_option("--fault", fault,
                   "Fault on the replies: none, no-reply, cut-short (only --cut-after bytes of "
                   "the reply frame), wrong-code (reply code 0x80), bad-checksum, flip-byte (a "
                   "payload byte changed, the checksum left as it was), stall (--cut-after bytes, "
                   "a pause of --stall-ms, the rest), dribble (one byte every --stall-ms), "
                   "hang-up (the board closes its line instead of answering), wrong-crc (a "
                   "checksum reply's CRC with one bit changed, the frame's checksum right; counts "
                   "checksum replies only); or of the Flash chip: ignore-erase (an erase runs its "
                   "time and reports ready, and the block keeps its content; counts erases)")
        ->check(CLI::IsMember({"none", "no-reply", "cut-short", "wrong-code", "bad-checksum",
                               "flip-byte", "stall", "dribble", "hang-up", "wrong-crc",
                               "ignore-erase"}))
        ->default_val("none");
    app.add_option("--fault-at", settings.fault.at,
                   "Number of the first request (counting from 1) whose reply the fault hits; "
                   "of the first checksum reply for wrong-crc, of the first erase for "
                   "ignore-erase")
        ->check(CLI::PositiveNumber)
        ->default_val(1);
    app.add_option("--fault-count", settings.fault.count,
                   "How many replies (erases) the fault hits; 0 = every one from --fault-at on")
        ->default_val(0);
    app.add_option("--cut-after", settings.fault.cutAfter,
                   "Bytes of the reply frame sent before a cut or a stall")
        ->default_val(1);
    app.add_option("--stall-ms", settings.fault.stallMs, "Length of a stall in milliseconds")
        ->default_val(2000);
    app.add_flag("--verbose", settings.verbose, "Show every frame on stderr");
    app.set_version_flag("-V,--version", std::string("tessary-board ") + version::kProductVersion);
    CLI11_PARSE(app, argc, argv);

    if (registerBase % 8 != 0) {
        std::cerr << "tessary-board: --register-base must be a multiple of 8\n";
        return 2;
    }
    config.registerBase = static_cast<uint8_t>(registerBase);
    config.flashLayout = *board::ParseFlashLayout(layout);
    config.ramSize = FindConfiguration(configuration)->ramSize;
    if (fault == "ignore-erase") {
        // A fault of the chip: the board's Flash carries it, every reply stays as it should.
        config.ignoredErases = {settings.fault.at, settings.fault.count};
        fault = "none";
    }
    settings.fault.kind = *peer::ParseFaultKind(fault);
    if (protocolName == "fast") {
        settings.fast = peer::Announcement(maxPayload, window, settings.rxBuffer,
                                           board::FlashLayoutSize(config.flashLayout));
        settings.fast->checksum = extensions.find('c') != std::string::npos;
        settings.fast->fill = extensions.find('f') != std::string::npos;
        settings.fast->runs = extensions.find('r') != std::string::npos;
    }
    std::string error;
    if (!images.empty()) {
        std::filesystem::create_directories(images);
        config.ramImage = images + "/" + name + ".ram";
        config.flashImage = images + "/" + name + ".flash";
    }
    auto board = board::SimBoard::Create(config, &error);
    // A board whose memories live in image files holds them for as long as it runs.
    board::ImageClaim claim;
    if (!board || !claim.Claim({config.ramImage, config.flashImage}, &error)) {
        std::cerr << "tessary-board: " << error << "\n";
        return 1;
    }

    peer::Interrupt interrupt;
    peer::Terminal terminal;
    const bool open =
        tty.empty()
            ? terminal.OpenPseudoTerminal(&error)
            : terminal.OpenTty(tty, settings.baud != 0 ? settings.baud : kDefaultBaud, &error);
    if (!interrupt.ok() || !open) {
        std::cerr << "tessary-board: " << error << "\n";
        return 1;
    }
    std::printf("%s\n", terminal.path().c_str());
    std::fflush(stdout);

    // Pacing waits end within microseconds of their deadline, not the default 50.
    prctl(PR_SET_TIMERSLACK, 1UL);
    peer::BoardPeer peer(terminal.fd(), *board, settings, interrupt);
    if (!peer.Run()) {
        std::cerr << "tessary-board: " << terminal.path() << ": the line failed\n";
        return 1;
    }
    return 0;
}
