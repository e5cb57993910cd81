#pragma once

#include <cstdint>

namespace tessary {

class MemoryController;

// Asks the board for the CRC-32 of `size` bytes of Flash at `address` (one exchange) and tells
// whether they all read 0xFF, as an erased block does. Only for a controller that
// OffersChecksum; false when the exchange fails (the controller's FailureText says why).
bool ChecksumShowsErased(MemoryController& controller, uint32_t address, uint32_t size,
                         bool& erased);

} // namespace tessary
