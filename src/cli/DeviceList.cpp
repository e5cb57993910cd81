#include "DeviceList.h"

#include "FlashChips.h"
#include "lnkutil.h"
#include "lnkutil_ext.h"

#include <algorithm>
#include <utility>

namespace tessary::cli {
namespace {

std::optional<std::string> Setting(int32_t index, const char* key) {
    char value[64] = {};
    LnkErc error = 0;
    if (!ZmgrGetDevSetting(index, key, value, static_cast<int32_t>(sizeof(value)), &error)) {
        return std::nullopt;
    }
    return std::string(value);
}

} // namespace

std::vector<DeviceInfo> ListDevices() {
    LnkErc error = 0;
    const int32_t count = ZmgrGetDevCount(&error);
    const int32_t defaultIndex = ZmgrGetDefaultDev(&error);
    std::vector<DeviceInfo> devices;
    for (int32_t index = 0; index < count; ++index) {
        char name[20] = {};
        if (!ZmgrGetDevName(index, name, &error)) {
            continue;
        }
        DeviceInfo device;
        device.name = name;
        device.isDefault = index == defaultIndex;
        device.configuration = Setting(index, "config");
        device.registerBase = Setting(index, "base");
        device.kind = Setting(index, "kind").value_or("");
        if (device.kind == "sim") {
            device.flash = Setting(index, "flash").value_or(std::string(kDefaultFlashLayout));
        } else {
            device.line = Setting(index, "path");
            device.baud = Setting(index, "baud");
        }
        devices.push_back(std::move(device));
    }
    return devices;
}

void PrintDevices(const std::vector<DeviceInfo>& devices, std::ostream& out, std::ostream& err) {
    if (devices.empty()) {
        err << "The device table holds no devices.\n";
    }
    auto setting = [](const char* key, const std::optional<std::string>& value) {
        return value ? std::string(key) + "=" + *value : std::string();
    };
    std::vector<std::vector<std::string>> rows;
    for (const DeviceInfo& device : devices) {
        std::string where =
            device.line ? setting("path", device.line) : setting("flash", device.flash);
        if (device.baud) {
            where += "  " + setting("baud", device.baud);
        }
        rows.push_back({device.name, device.isDefault ? "(default)" : "", device.kind, where,
                        setting("config", device.configuration),
                        setting("base", device.registerBase)});
    }
    std::vector<size_t> widths;
    for (const auto& row : rows) {
        widths.resize(row.size());
        for (size_t column = 0; column < row.size(); ++column) {
            widths[column] = std::max(widths[column], row[column].size());
        }
    }
    for (const auto& row : rows) {
        std::string line;
        for (size_t column = 0; column < row.size(); ++column) {
            if (widths[column] == 0) {
                continue; // a column no device fills
            }
            line += row[column] + std::string(widths[column] - row[column].size() + 2, ' ');
        }
        line.erase(line.find_last_not_of(' ') + 1);
        out << line << '\n';
    }
}

} // namespace tessary::cli
