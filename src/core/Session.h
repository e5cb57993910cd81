#pragma once

#include "DefaultBaud.h"

#include <cstdint>
#include <string>

namespace tessary {

// Which RegisterPort the memory controller builds.
enum InterfaceType : int32_t {
    kInterfaceSerial = 0,
    kInterfaceLibrary = 1,
};

// Memory configurations: 0 Q0, 1 Q1, 2 Q2, 3 Q3, 5 Parvel 4MB, 6 Parvel 16MB.
inline constexpr int32_t kConfigurationQ0 = 0;

// What one operation runs with, captured when it starts: the board it opens, the road to it, the
// controller's first register and the memory configuration. A value, so that a transfer on a
// worker thread never sees settings change under it.
struct Session {
    std::string deviceName;
    int32_t interfaceType = kInterfaceLibrary;
    int32_t registerBase = 0; // 0x00 to 0xF8 in steps of 8
    int32_t memoryConfiguration = kConfigurationQ0;
    // Serial line only: its speed, and how many requests may be in flight at once (0 = what the
    // board announces, 1 for a board that announces nothing).
    uint32_t serialBaud = kDefaultBaud;
    int32_t serialWindow = 0;
};

} // namespace tessary
