#include "Run.h"

#include "DeviceList.h"
#include "Operations.h"
#include "Outcome.h"
#include "PrintingSinks.h"
#include "Session.h"
#include "Settings.h"

#include <ostream>

namespace tessary::cli {
namespace {

int RunDevices(Outcome& outcome, MessageSink& messages) {
    Session session;
    if (!session.Start(messages)) {
        return kExitFailed;
    }
    outcome.devices = ListDevices();
    return kExitSuccess;
}

// Every check comes before the library is started and a board contacted.
int RunOperation(const Request& request, StatusSink& status, MessageSink& messages) {
    if (!ApplyConfiguration(request, messages) || !ApplyRegisterBase(request, messages)) {
        return kExitUsage;
    }
    const PreparedOperation operation = PrepareOperation(request, messages);
    if (!operation) {
        return kExitUsage;
    }
    Session session;
    if (!session.Start(messages)) {
        return kExitFailed;
    }
    if (!SelectBoard(request, session.Context(), messages)) {
        return kExitUsage;
    }
    return operation(status, messages) ? kExitSuccess : kExitFailed;
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
    outcome.exitCode = request.command == Command::Devices
                           ? RunDevices(outcome, messages)
                           : RunOperation(request, status, messages);
    outcome.status = status.LastText();
    outcome.messages = messages.Shown();
    outcome.bytes = status.Bytes();
    outcome.blocks = status.Blocks();

    if (request.json) {
        out << OutcomeJson(outcome) << '\n';
    } else if (outcome.devices) {
        PrintDevices(*outcome.devices, out, err);
    } else if (outcome.status) {
        out << *outcome.status << '\n';
    }
    out.flush();
    return outcome.exitCode;
}

} // namespace tessary::cli
