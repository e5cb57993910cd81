// Settings of a board on a serial line: path=<tty, tcp://HOST:PORT or rfc2217://HOST:PORT, the
// port from 1 to 65535> (required), baud=<rate> (default 115200), window=<requests in flight, 1 to
// 32> (default: what the board announces), and the board settings config= and base=
// (BoardSettings.h).
#pragma once

#include "DefaultBaud.h"
#include "DeviceEntry.h"

#include <cstdint>
#include <string>

namespace tessary::lnkutil {

inline constexpr uint32_t kMinBaud = 50;
inline constexpr uint32_t kMaxBaud = 100'000'000;

bool ValidateSerialOptions(const DeviceOptions& options, std::string* reason);

// The settings of a valid serial entry; window 0 = what the board announces.
struct SerialSettings {
    std::string path;
    uint32_t baud = kDefaultBaud;
    int32_t window = 0;
};
SerialSettings SerialSettingsOf(const DeviceEntry& entry);

} // namespace tessary::lnkutil
