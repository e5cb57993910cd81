#include "DeviceList.h"

#include "lnkutil.h"

namespace tessary::cli {

std::vector<DeviceInfo> ListDevices() {
    LnkErc error = 0;
    const int32_t count = ZmgrGetDevCount(&error);
    const int32_t defaultIndex = ZmgrGetDefaultDev(&error);
    std::vector<DeviceInfo> devices;
    for (int32_t index = 0; index < count; ++index) {
        char name[20] = {};
        if (ZmgrGetDevName(index, name, &error)) {
            devices.push_back({name, index == defaultIndex});
        }
    }
    return devices;
}

} // namespace tessary::cli
