// Which memory configuration a board runs with once its device is chosen: one rule for the
// desktop program and the command-line tool.
#pragma once

#include "MemoryConfigurations.h"

#include <optional>
#include <string>

namespace tessary {

struct DeviceConfiguration {
    const Configuration& configuration;
    // True when the device's config= setting chose it; false when the configuration in force
    // was kept.
    bool fromDevice;
};

// The device's config= setting when it names a configuration; otherwise (no setting, or one that
// names none) the configuration in force stays: the one chosen on the Properties page, or the
// command line's --config (q0 when not given).
DeviceConfiguration ConfigurationForDevice(const std::optional<std::string>& configSetting,
                                           const Configuration& inForce);

} // namespace tessary
