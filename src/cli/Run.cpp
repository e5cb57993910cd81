#include "Run.h"

#include "CancelSignals.h"
#include "DeviceLibrary.h"
#include "DeviceList.h"
#include "Operations.h"
#include "Outcome.h"
#include "PrintingSinks.h"
#include "Progress.h"
#include "ProgressTicker.h"
#include "Settings.h"

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

// Every check comes before the library is started and a board contacted.
int RunOperation(const Request& request, StatusSink& status, MessageSink& messages) {
    Session session;
    if (!ApplyConfiguration(request, session, messages) ||
        !ApplyRegisterBase(request, session, messages)) {
        return kExitUsage;
    }
    const PreparedOperation operation = PrepareOperation(request, session, messages);
    if (!operation) {
        return kExitUsage;
    }
    DeviceLibrary library;
    if (!library.Start(messages)) {
        return kExitFailed;
    }
    if (!SelectBoard(request, session, messages)) {
        return kExitUsage;
    }
    CancelToken cancel;
    const CancelOnSignals signals(cancel);
    if (operation(session, status, messages, cancel)) {
        return kExitSuccess;
    }
    return cancel.Cancelled() ? kExitCancelled : kExitFailed;
}

void PrintDevices(const std::vector<DeviceInfo>& devices, std::ostream& out, std::ostream& err) {
    if (devices.empty()) {
        err << "The device table holds no devices.\n";
    }
    for (const DeviceInfo& device : devices) {
        out << device.name << (device.isDefault ? "  (default)" : "") << '\n';
    }
}

} // namespace

int Run(const Request& request, std::ostream& out, std::ostream& err, Progress* progress) {
    Outcome outcome;
    outcome.command = CommandName(request.command);
    PrintingMessages messages(err, progress);
    PrintingStatus status(progress);
    if (request.command == Command::Devices) {
        outcome.exitCode = RunDevices(outcome, messages);
    } else {
        const ProgressTicker ticker(progress);
        outcome.exitCode = RunOperation(request, status, messages);
    }
    outcome.status = status.LastText();
    outcome.messages = messages.Shown();
    outcome.bytes = status.Bytes();
    outcome.blocks = status.Blocks();
    outcome.cancelled = outcome.exitCode == kExitCancelled;

    if (outcome.cancelled && outcome.status) {
        if (progress != nullptr) {
            progress->Clear();
        }
        err << *outcome.status << '\n'; // "Operation cancelled." and how far a load got
        err.flush();
    }
    // A transfer that failed without a message (a board that stopped answering mid-way, a reply
    // cut short or wrong) still leaves its cause on stderr, not only the status on stdout.
    if (outcome.exitCode == kExitFailed && outcome.messages.empty() && outcome.status) {
        if (progress != nullptr) {
            progress->Clear();
        }
        err << "error: " << *outcome.status << ": the transfer with the board failed\n";
        err.flush();
    }
    if (request.json) {
        out << OutcomeJson(outcome) << '\n';
    } else if (outcome.devices) {
        PrintDevices(*outcome.devices, out, err);
    } else if (outcome.status && !outcome.cancelled) {
        out << *outcome.status << '\n';
    }
    out.flush();
    return outcome.exitCode;
}

} // namespace tessary::cli
