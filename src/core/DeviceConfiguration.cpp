#include "DeviceConfiguration.h"

namespace tessary {

DeviceConfiguration ConfigurationForDevice(const std::optional<std::string>& configSetting,
                                           const Configuration& inForce) {
    if (configSetting) {
        if (const Configuration* named = FindConfiguration(*configSetting)) {
            return {*named, true};
        }
    }
    return {inForce, false};
}

} // namespace tessary
