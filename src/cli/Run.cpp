#include "Run.h"

#include "BlankCheck.h"
#include "CancelSignals.h"
#include "DeviceLibrary.h"
#include "DeviceList.h"
#include "FlashGeometry.h"
#include "Lines.h"
#include "Operations.h"
#include "Outcome.h"
#include "PrintingSinks.h"
#include "ProgressDisplay.h"
#include "ProgressTicker.h"
#include "RecentLines.h"
#include "Settings.h"
#include "StandardStreams.h"

#include <cstdio>
#include <ostream>

namespace tessary::cli {
namespace {

int RunDevices(Outcome& outcome, MessageSink& messages) {
    DeviceLibrary library;
    if (!library.Start(messages)) {
        return kExitFailed;
    }
    outcome.devices = ListDevices();
    return kExitSuccess;
}

// The library is started to read its device table (the chosen device's configuration and
// register base are the defaults); every check comes before a board is contacted.
int RunOperation(const Request& given, Outcome& outcome, StatusSink& status,
                 MessageSink& messages) {
    DeviceLibrary library;
    if (!library.Start(messages)) {
        return kExitFailed;
    }
    Request request = given;
    Session session;
    if (!SelectBoard(request, session, messages) ||
        !ApplyConfiguration(request, session, messages) ||
        !ApplyRegisterBase(request, session, messages)) {
        return kExitUsage;
    }
    const PreparedOperation operation = PrepareOperation(request, session, messages);
    if (!operation) {
        return kExitUsage;
    }
    CancelToken cancel;
    const CancelOnSignals signals(cancel);
    RunFacts facts;
    const RunResult result = operation(session, status, messages, cancel, facts);
    if (facts.matched) {
        outcome.matchedBlocks = facts.matched->matched;
        outcome.comparedBlocks = facts.matched->blocks;
    }
    if (result == RunResult::Refused) {
        return kExitUsage;
    }
    if (result == RunResult::Failed) {
        return cancel.Cancelled() ? kExitCancelled : kExitFailed;
    }
    if (request.serial) {
        RememberLine(*request.serial); // offered again by 'ports' and the device dialog
    }
    return kExitSuccess;
}

void PrintPorts(const std::vector<SerialPortInfo>& ports, std::ostream& out, std::ostream& err) {
    if (ports.empty()) {
        err << "No serial lines found.\n";
    }
    for (const SerialPortInfo& port : ports) {
        out << port.path;
        if (port.label != port.path) {
            out << "  " << port.label;
        }
        out << '\n';
    }
}

// Which blocks are erased: the same checks and board selection as an operation, then the blocks
// read one by one.
int RunBlankCheck(const Request& given, Outcome& outcome, StatusSink& status,
                  MessageSink& messages) {
    DeviceLibrary library;
    if (!library.Start(messages)) {
        return kExitFailed;
    }
    Request request = given;
    Session session;
    if (!SelectBoard(request, session, messages) ||
        !ApplyConfiguration(request, session, messages) ||
        !ApplyRegisterBase(request, session, messages)) {
        return kExitUsage;
    }
    const std::optional<std::vector<int32_t>> blocks = SelectBlocks(request, session, messages);
    if (!blocks) {
        return kExitUsage;
    }
    CancelToken cancel;
    const CancelOnSignals signals(cancel);
    std::vector<BlockBlankness> results;
    const bool checked = BlankCheckFlash(session, *blocks, results, status, messages, cancel);
    outcome.blank.emplace();
    for (const BlockBlankness& result : results) {
        outcome.blank->push_back(
            {result.index, BlockAddress(session.memoryConfiguration, result.index), result.erased});
    }
    if (checked) {
        return kExitSuccess;
    }
    return cancel.Cancelled() ? kExitCancelled : kExitFailed;
}

int RunCommand(const Request& request, Outcome& outcome, StatusSink& status,
               MessageSink& messages) {
    switch (request.command) {
    case Command::Devices:
        return RunDevices(outcome, messages);
    case Command::Ports:
        return RunPorts(outcome);
    case Command::Probe:
        return RunProbe(request, outcome, messages);
    case Command::BlankCheck:
        return RunBlankCheck(request, outcome, status, messages);
    default:
        return RunOperation(request, outcome, status, messages);
    }
}

// A failed run's outcome is the failure the operation showed last - the text of the window's
// message box - and not its last status text, which the window leaves at a progress text
// ("Connecting") after some failures. A refusal before any operation ran leaves no outcome.
void SettleFailure(Outcome& outcome) {
    if (outcome.exitCode == kExitSuccess || outcome.cancelled) {
        return;
    }
    const bool ran = outcome.status.has_value() || outcome.exitCode == kExitFailed;
    if (!outcome.messages.empty() && ran) {
        outcome.status = outcome.messages.back().text;
    } else if (!outcome.status && outcome.exitCode == kExitFailed) {
        outcome.status = "The " + outcome.command + " failed.";
    }
}

void PrintBlank(const std::vector<BlankBlock>& blocks, std::ostream& out) {
    for (const BlankBlock& block : blocks) {
        char line[64];
        std::snprintf(line, sizeof(line), "block %d at 0x%06X: %s\n", block.index,
                      static_cast<unsigned>(block.address), block.erased ? "erased" : "not erased");
        out << line;
    }
}

} // namespace

int Run(const Request& request, std::ostream& standardOutput, std::ostream& err,
        ProgressDisplay* progress) {
    // Data stored to standard output is all that goes there; the report goes to stderr.
    std::ostream& out = StoresToStandardOutput(request) ? err : standardOutput;
    Outcome outcome;
    outcome.command = CommandName(request.command);
    PrintingMessages messages(err, progress);
    PrintingStatus status(progress);
    if (progress != nullptr) {
        progress->Begin(outcome.command, request.serial.value_or(request.device.value_or("")));
    }
    if (request.command == Command::Devices || request.command == Command::Ports ||
        request.command == Command::Probe) {
        outcome.exitCode = RunCommand(request, outcome, status, messages);
    } else {
        const ProgressTicker ticker(progress);
        outcome.exitCode = RunCommand(request, outcome, status, messages);
    }
    outcome.status = status.LastText();
    outcome.messages = messages.Shown();
    outcome.bytes = status.Bytes();
    outcome.blocks = status.Blocks();
    outcome.cancelled = outcome.exitCode == kExitCancelled;
    // "Operation cancelled." and how far a load got. Every failure an operation notes comes with
    // its cause as a message; one that noted none still leaves an error line on stderr, not only
    // the status on stdout.
    std::string line;
    if (outcome.cancelled && outcome.status) {
        line = *outcome.status;
    } else if (outcome.exitCode == kExitFailed && outcome.messages.empty() && outcome.status) {
        line = "error: " + *outcome.status;
    }
    SettleFailure(outcome);
    if ((progress == nullptr || !progress->Finish(outcome)) && !line.empty()) {
        err << line << '\n' << std::flush;
    }
    if (request.json) {
        out << OutcomeJson(outcome) << '\n';
    } else if (outcome.devices) {
        PrintDevices(*outcome.devices, out, err);
    } else if (outcome.ports) {
        PrintPorts(*outcome.ports, out, err);
    } else if (outcome.identity) {
        out << *outcome.identity << '\n';
    } else {
        if (outcome.blank) {
            PrintBlank(*outcome.blank, out); // the blocks checked, also before a cancel
        }
        if (outcome.status && !outcome.cancelled) {
            out << *outcome.status << '\n';
        }
    }
    out.flush();
    return outcome.exitCode;
}

} // namespace tessary::cli
