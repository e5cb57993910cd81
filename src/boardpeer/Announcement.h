#pragma once

#include "FastAnnouncement.h"

#include <cstddef>
#include <cstdint>

namespace tessary::peer {

// What tessary-board announces: its longest payload, its Flash size, and the requests it can
// hold: `window` when given (not 0), else as many of the longest requests as its receiver holds
// (`rxBuffer`, 1 to 32), else 16.
protocol::FastCapabilities Announcement(int maxPayload, int window, size_t rxBuffer,
                                        uint32_t flashSize);

} // namespace tessary::peer
