#pragma once

#include "DefaultBaud.h"

#include <cstdint>

namespace tessary {

// Puts an open tty into the state the register protocol needs: raw, `baud` (any rate the driver
// can make), 8N1, no flow control, receiver on, modem lines ignored, reads that never block, low
// latency where the driver offers it. DTR and RTS are dropped where the device has them. False
// (errno set) when the descriptor is not a tty or the driver refuses the rate.
bool ConfigureTty(int fd, uint32_t baud = kDefaultBaud);

} // namespace tessary
