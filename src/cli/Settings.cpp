#include "Settings.h"

#include "CliNumber.h"
#include "Configurations.h"
#include "DeviceList.h"
#include "Refuse.h"
#include "RegisterBaseField.h"
#include "Sinks.h"

#include <algorithm>

namespace tessary::cli {
namespace {

bool NeedsRam(Command command) {
    return command == Command::LoadRam || command == Command::StoreRam;
}

bool NeedsFlash(Command command) {
    return command == Command::LoadFlash || command == Command::StoreFlash ||
           command == Command::Erase || command == Command::BlankCheck;
}

} // namespace

bool ApplyConfiguration(const Request& request, Session& session, MessageSink& messages) {
    const Configuration& configuration = ConfigurationNamed(request.configuration);
    const bool missingRam = NeedsRam(request.command) && !configuration.hasRam;
    const bool missingFlash = NeedsFlash(request.command) && !configuration.hasFlash;
    if (missingRam || missingFlash) {
        Refuse(messages, std::string(CommandName(request.command)) +
                             " is not available with --config " + configuration.name + ": the " +
                             configuration.label + " module has no " +
                             (missingRam ? "RAM." : "Flash."));
        return false;
    }
    session.memoryConfiguration = configuration.value;
    return true;
}

bool ApplyRegisterBase(const Request& request, Session& session, MessageSink& messages) {
    const CliNumber number = ParseCliNumber(request.registerBase);
    std::string text = number.value ? PageText(*number.value) : request.registerBase;
    const int32_t value = number.value ? ParseRegisterBase(text) : -1;
    if (value < 0) {
        messages.ShowMessage(kRegisterBaseMessage, kRegisterBaseCaption, MessageIcon::None, true);
        return false;
    }
    session.registerBase = value;
    return true;
}

bool SelectBoard(const Request& request, Session& session, MessageSink& messages) {
    if (request.serial) {
        session.interfaceType = kInterfaceSerial;
        session.deviceName = *request.serial;
        session.serialBaud = request.baud;
        session.serialWindow = request.window;
        return true;
    }
    session.interfaceType = kInterfaceLibrary;
    const std::vector<DeviceInfo> devices = ListDevices();
    if (request.device) {
        const bool known = std::any_of(devices.begin(), devices.end(), [&](const DeviceInfo& d) {
            return d.name == *request.device;
        });
        if (!known) {
            Refuse(messages, "No device named '" + *request.device +
                                 "' in the device table; 'tessary-cli devices' lists them.");
            return false;
        }
        session.deviceName = *request.device;
        return true;
    }
    const auto chosen = std::find_if(devices.begin(), devices.end(),
                                     [](const DeviceInfo& d) { return d.isDefault; });
    if (chosen == devices.end()) {
        Refuse(messages, "The device table marks no default device; choose one with --device.");
        return false;
    }
    session.deviceName = chosen->name;
    return true;
}

} // namespace tessary::cli
