// The pins of an Intel-style Flash chip in front of the simulated board's Flash model: the
// controller's bus cycles become the model's commands, programs and reads, so the chip behaves on
// the bus exactly as it does behind the simulated board's registers (busy time counted in status
// reads, AND programming, status mode until read array, locked blocks).
#pragma once

#include "Flash.h"

#include <cstdint>

namespace tessary::rtl {

struct FlashPins {
    uint32_t address = 0;
    bool ceN = true;
    bool oeN = true;
    bool weN = true;
    uint8_t dataOut = 0xFF; // what the controller drives
};

class FlashBus {
  public:
    explicit FlashBus(board::Flash& flash) : flash_(flash) {}

    // The pins after a clock edge; returns what the chip drives on the data lines.
    uint8_t Update(const FlashPins& pins);

  private:
    board::Flash& flash_;
    FlashPins last_;
    uint8_t driven_ = 0xFF;
    bool programNext_ = false;
};

} // namespace tessary::rtl
