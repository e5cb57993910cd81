// Builds the device of a table entry.
#pragma once

#include "Device.h"
#include "DeviceEntry.h"
#include "lnkutil.h"

#include <memory>
#include <optional>
#include <string>

namespace tessary::lnkutil {

// `dataDir`: where simulated boards keep their image files (<name>.ram, <name>.flash); empty =
// in memory only. `simTimeScale`: the time scale of a simulated board whose entry sets none.
// Null with `erc` set when the device cannot be built.
std::unique_ptr<Device> CreateDevice(const DeviceEntry& entry, const std::string& dataDir,
                                     std::optional<double> simTimeScale, LnkErc& erc);

} // namespace tessary::lnkutil
