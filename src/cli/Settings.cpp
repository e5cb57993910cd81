#include "Settings.h"

#include "CliNumber.h"
#include "DeviceConfiguration.h"
#include "DeviceList.h"
#include "MemoryConfigurations.h"
#include "QuoteText.h"
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
        // The window's text for this says 0xff, a value it refuses; the tool names the real limit.
        Refuse(messages, "Invalid --register-base '" + QuoteForMessage(request.registerBase) +
                             "': the memory controller's first register is 0x00 to 0xF8, a "
                             "multiple of 8.");
        return false;
    }
    session.registerBase = value;
    return true;
}

namespace {

void TakeDeviceDefaults(const DeviceInfo& device, Request& request) {
    // --config is the configuration chosen for this run; without it the device's config= rules
    // as it does in the window, and q0 stays when the device has none.
    if (!request.configurationGiven) {
        request.configuration =
            ConfigurationForDevice(device.configuration, ConfigurationNamed(request.configuration))
                .configuration.name;
    }
    if (!request.registerBaseGiven && device.registerBase) {
        request.registerBase = *device.registerBase;
    }
}

} // namespace

bool SelectBoard(Request& request, Session& session, MessageSink& messages) {
    if (request.serial) {
        session.interfaceType = kInterfaceSerial;
        session.deviceName = *request.serial;
        session.serialBaud = request.baud;
        session.serialWindow = request.window;
        return true;
    }
    session.interfaceType = kInterfaceLibrary;
    const std::vector<DeviceInfo> devices = ListDevices();
    const auto chosen =
        std::find_if(devices.begin(), devices.end(), [&request](const DeviceInfo& d) {
            return request.device ? d.name == *request.device : d.isDefault;
        });
    if (chosen == devices.end()) {
        Refuse(messages, request.device
                             ? "No device named '" + *request.device +
                                   "' in the device table; 'tessary-cli devices' lists them."
                             : "The device table marks no default device; choose one with "
                               "--device.");
        return false;
    }
    session.deviceName = chosen->name;
    TakeDeviceDefaults(*chosen, request);
    return true;
}

} // namespace tessary::cli
