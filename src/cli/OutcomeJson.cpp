#include "Outcome.h"

#include <nlohmann/json.hpp>

namespace tessary::cli {

std::string OutcomeJson(const Outcome& outcome) {
    nlohmann::ordered_json json;
    json["command"] = outcome.command;
    json["ok"] = outcome.exitCode == kExitSuccess;
    json["exitCode"] = outcome.exitCode;
    json["cancelled"] = outcome.cancelled;
    json["status"] = outcome.status ? nlohmann::ordered_json(*outcome.status) : nullptr;
    json["messages"] = nlohmann::ordered_json::array();
    for (const ShownMessage& message : outcome.messages) {
        nlohmann::ordered_json shown = {
            {"text", message.text},
            {"caption", message.caption},
            {"icon", message.icon == MessageIcon::Error ? "error" : "none"}};
        if (!message.cause.empty()) {
            shown["cause"] = message.cause;
        }
        json["messages"].push_back(std::move(shown));
    }
    json["bytes"] = outcome.bytes;
    json["blocks"] = outcome.blocks;
    if (outcome.matchedBlocks && outcome.comparedBlocks) {
        json["matchedBlocks"] = *outcome.matchedBlocks;
        json["comparedBlocks"] = *outcome.comparedBlocks;
    }
    if (outcome.devices) {
        json["devices"] = nlohmann::ordered_json::array();
        for (const DeviceInfo& device : *outcome.devices) {
            nlohmann::ordered_json entry = {
                {"name", device.name}, {"default", device.isDefault}, {"kind", device.kind}};
            for (const auto& [key, value] :
                 {std::pair{"flash", &device.flash}, std::pair{"path", &device.line},
                  std::pair{"baud", &device.baud}}) {
                if (*value) {
                    entry[key] = **value;
                }
            }
            if (device.configuration) {
                entry["config"] = *device.configuration;
            }
            if (device.registerBase) {
                entry["base"] = *device.registerBase;
            }
            json["devices"].push_back(std::move(entry));
        }
    }
    if (outcome.blank) {
        json["blank"] = nlohmann::ordered_json::array();
        for (const BlankBlock& block : *outcome.blank) {
            json["blank"].push_back(
                {{"block", block.index}, {"address", block.address}, {"erased", block.erased}});
        }
    }
    if (outcome.ports) {
        json["ports"] = nlohmann::ordered_json::array();
        for (const SerialPortInfo& port : *outcome.ports) {
            json["ports"].push_back({{"path", port.path}, {"label", port.label}});
        }
    }
    if (outcome.identity) {
        json["identity"] = *outcome.identity;
    }
    // Invalid UTF-8 (a file name in another encoding) is replaced rather than thrown at.
    return json.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

} // namespace tessary::cli
