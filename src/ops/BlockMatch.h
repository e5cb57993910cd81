#pragma once

#include "LoadSource.h"

#include <cstdint>

namespace tessary {

class MemoryController;

// Whether erase block `index` of the configuration already holds what a Flash load with auto
// erase would leave in it, asked of the board's checksum (the controller must OffersChecksum):
// the parts the source's ranges cover equal to the source; without preservation the rest of the
// block 0xFF, as the erase would leave it (one exchange for the whole block); with preservation
// the rest is kept whatever it holds, so only the covered parts are compared (one exchange per
// part). False when an exchange fails (the controller's FailureText says why).
bool BlockHoldsImage(MemoryController& controller, int32_t configuration, int32_t index,
                     LoadSource& source, bool preserve, bool& matches);

} // namespace tessary
