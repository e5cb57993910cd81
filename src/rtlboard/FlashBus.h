// The pins of an Intel-style Flash chip in front of the simulated board's Flash model: the
// controller's bus cycles become the model's commands, programs and reads, so the chip behaves on
// the bus exactly as it does behind the simulated board's registers (AND programming, status mode
// until read array, locked blocks). On top, the chip takes the time of a real part, counted in
// clock cycles: after each byte program and each block erase it is busy, its status reads answer
// bit 7 low and every write is ignored until the time has passed. Time is the simulation's
// clock, and real time while the simulation pauses.
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

struct FlashTiming {
    uint64_t programCycles = 0;   // one byte
    uint64_t eraseCycles128K = 0; // a 128 KB block; smaller blocks in proportion
};

class FlashBus {
  public:
    FlashBus(board::Flash& flash, const FlashTiming& timing) : flash_(flash), timing_(timing) {}

    // The pins after a clock edge, one call a clock cycle; returns what the chip drives on the
    // data lines.
    uint8_t Update(const FlashPins& pins);
    // A program or an erase is under way.
    bool Busy() const { return now_ < busyUntil_; }
    // Clock cycles until the chip is ready again.
    uint64_t BusyCyclesLeft() const { return Busy() ? busyUntil_ - now_ : 0; }
    // Time passes with the pins unchanged (the simulation paused while all was quiet).
    void Pass(uint64_t cycles) { now_ += cycles; }

  private:
    void Write(uint8_t value, uint32_t offset);
    uint64_t EraseCycles(uint32_t offset) const;

    board::Flash& flash_;
    FlashTiming timing_;
    FlashPins last_;
    uint8_t driven_ = 0xFF;
    bool programNext_ = false;
    bool eraseSetup_ = false;
    uint64_t now_ = 0;
    uint64_t busyUntil_ = 0;
};

} // namespace tessary::rtl
