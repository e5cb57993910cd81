#include "DeviceList.h"

#include "lnkutil.h"
#include "lnkutil_ext.h"

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
        if (ZmgrGetDevName(index, name, &error)) {
            devices.push_back(
                {name, index == defaultIndex, Setting(index, "config"), Setting(index, "base")});
        }
    }
    return devices;
}

} // namespace tessary::cli
