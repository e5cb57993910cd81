// The verilated controller (gateware/tsy_core.v) on its board: a 16 MB synchronous RAM on its RAM
// port and the simulated board's Flash model on its Flash bus. Free of Verilator's headers.
#pragma once

#include "Flash.h"
#include "FlashBus.h"

#include <cstdint>
#include <memory>
#include <span>

namespace tessary::rtl {

struct RtlSettings {
    uint32_t baudDivisor = 16;
    uint8_t registerBase = 0;
    bool fast = true;
    uint32_t announcedFlashSize = 0;
};

class RtlModel {
  public:
    // `ram` holds 16 MB; both outlive the model.
    RtlModel(const RtlSettings& settings, std::span<uint8_t> ram, board::Flash& flash,
             const FlashTiming& timing);
    ~RtlModel();
    RtlModel(const RtlModel&) = delete;
    RtlModel& operator=(const RtlModel&) = delete;

    // One clock cycle with `rxPin` on the controller's receive pin; returns its transmit pin.
    bool Cycle(bool rxPin);
    // The controller has nothing received, under way or left to send.
    bool Idle() const;
    // Clock cycles the Flash chip is still busy for; while the simulation pauses, the time the
    // chip takes passes by PassFlashTime.
    uint64_t FlashBusyCycles() const;
    void PassFlashTime(uint64_t cycles);
    uint64_t Cycles() const { return cycles_; }

  private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
    uint64_t cycles_ = 0;
};

} // namespace tessary::rtl
