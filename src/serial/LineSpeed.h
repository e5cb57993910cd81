#pragma once

#include <cstdint>

namespace tessary {

// Sets both directions of a tty to `baud`, any rate the driver can make (termios2 with BOTHER),
// not only the standard ones. False (errno set) when the driver refuses it.
bool SetLineSpeed(int fd, uint32_t baud);

// Asks the driver to pass received bytes on at once instead of collecting them for a while
// (ASYNC_LOW_LATENCY). Only serial drivers know the request; elsewhere it changes nothing.
void RequestLowLatency(int fd);

} // namespace tessary
