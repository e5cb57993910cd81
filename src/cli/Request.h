#pragma once

#include "DefaultBaud.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tessary::cli {

enum class Command {
    Devices,
    Ports,
    Probe,
    LoadRam,
    StoreRam,
    LoadFlash,
    StoreFlash,
    Erase,
    BlankCheck
};

// The subcommand's name on the command line, e.g. "load-ram".
const char* CommandName(Command command);

// A parsed command line. Number options keep the text as typed: the operation pages' validation
// reads them (an empty text is the field's default).
struct Request {
    Command command = Command::Devices;

    // global
    std::optional<std::string> device;
    std::optional<std::string> serial;
    uint32_t baud = kDefaultBaud;
    int32_t window = 0; // 0 = what the board announces
    std::string configuration = "q0";
    std::string registerBase = "0";
    // Given on the command line; otherwise the device's table entry may supply them.
    bool configurationGiven = false;
    bool registerBaseGiven = false;
    bool quiet = false;
    // --progress: "bar", "plain", "json" or "none"; empty: a bar on a terminal, else plain lines.
    std::string progress;
    bool json = false;

    // loads and stores
    // The number options as given; nothing when left out (the page field's default). Given
    // empty, they are refused: an unset variable in a script must not mean 0 or the whole file.
    std::string file;
    std::optional<std::string> address;
    std::optional<std::string> offset;
    std::optional<std::string> length;
    std::string mode = "replace";
    bool noVerify = false;
    // --verify: "auto" (the board's checksum where it computes one, else read-back) or
    // "readback" (every block read back byte for byte).
    std::string verify = "auto";
    bool noErase = false;
    bool noPreserve = false;
    bool noSkip = false;
    std::string format; // bin, ihex, srec; empty = from the file

    // erase, blank-check
    std::optional<std::string> blocks;
};

} // namespace tessary::cli
