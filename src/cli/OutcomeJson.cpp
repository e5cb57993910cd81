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
    if (outcome.devices) {
        json["devices"] = nlohmann::ordered_json::array();
        for (const DeviceInfo& device : *outcome.devices) {
            json["devices"].push_back({{"name", device.name}, {"default", device.isDefault}});
        }
    }
    // Invalid UTF-8 (a file name in another encoding) is replaced rather than thrown at.
    return json.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

} // namespace tessary::cli
