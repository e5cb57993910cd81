#pragma once

namespace tessary {

// Puts an open tty into the state the register protocol needs: raw, 115200 baud, 8N1, no flow
// control, receiver on, modem lines ignored, reads that never block. DTR and RTS are dropped where
// the device has them. False (errno set) when the descriptor is not a tty.
bool ConfigureTty(int fd);

} // namespace tessary
