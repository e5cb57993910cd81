#pragma once

#include "DeviceList.h"
#include "PrintingSinks.h"
#include "SerialPorts.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tessary::cli {

// Exit statuses of tessary-cli.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailed = 1; // the operation failed: connection, transfer, verify, file
inline constexpr int kExitUsage = 2;  // bad usage or invalid input; nothing was connected
inline constexpr int kExitCancelled = 130; // SIGINT, SIGTERM, SIGHUP or SIGQUIT cancelled it

// One block of a blank check: its index in the configuration's table, its start, and whether
// every byte reads erased.
struct BlankBlock {
    int32_t index;
    uint32_t address;
    bool erased;
};

// What one run of tessary-cli did, for --json.
struct Outcome {
    std::string command;
    int exitCode = kExitSuccess;
    // The final status text; after a failure, the failure's message (the last one shown).
    std::optional<std::string> status;
    std::vector<ShownMessage> messages;
    int64_t bytes = 0;  // bytes moved between file and board
    int64_t blocks = 0; // Flash blocks erased
    // load-flash that skipped unchanged blocks: how many of the blocks it touches already held
    // the image (neither erased nor programmed).
    std::optional<int32_t> matchedBlocks;
    std::optional<int32_t> comparedBlocks;
    bool cancelled = false;
    std::optional<std::vector<DeviceInfo>> devices;
    std::optional<std::vector<BlankBlock>> blank;     // blank-check
    std::optional<std::vector<SerialPortInfo>> ports; // ports
    std::optional<std::string> identity;              // probe: what the board said it is
};

// One JSON object (a single line): command, ok, exitCode, cancelled, status, messages (each with
// the cause where one is known), bytes, blocks, matchedBlocks and comparedBlocks after a Flash
// load that compared its blocks, and devices, ports or identity for those commands.
std::string OutcomeJson(const Outcome& outcome);

} // namespace tessary::cli
