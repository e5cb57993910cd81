#include "DeviceFactory.h"

#include "SerialDevice.h"
#include "SimDevice.h"
#include "SimOptions.h"
#include "lnkutil_erc.h"

#include <filesystem>

namespace tessary::lnkutil {
namespace {

std::unique_ptr<Device> CreateSimDevice(const DeviceEntry& entry, const std::string& dataDir,
                                        std::optional<double> timeScale, LnkErc& erc) {
    board::BoardConfig config;
    config.timeScale = timeScale.value_or(config.timeScale);
    std::string reason;
    if (!ParseSimOptions(entry.options, &config, &reason)) {
        erc = LNK_ERC_OPEN_FAILED;
        return nullptr;
    }
    if (!dataDir.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(dataDir, ec);
        config.ramImage = dataDir + "/" + entry.name + ".ram";
        config.flashImage = dataDir + "/" + entry.name + ".flash";
    }
    return std::make_unique<SimDevice>(entry.name, config);
}

} // namespace

std::unique_ptr<Device> CreateDevice(const DeviceEntry& entry, const std::string& dataDir,
                                     std::optional<double> simTimeScale, LnkErc& erc) {
    switch (entry.kind) {
    case DeviceKind::Sim:
        return CreateSimDevice(entry, dataDir, simTimeScale, erc);
    case DeviceKind::Serial:
        return CreateSerialDevice(entry);
    }
    erc = LNK_ERC_UNSUPPORTED;
    return nullptr;
}

} // namespace tessary::lnkutil
