// The verilated controller (gateware/tsy_core.v) on its board: a 16 MB synchronous RAM on its RAM
// port and either the simulated board's Flash model on its parallel Flash bus or a serial NOR
// chip on its SPI back end. Free of Verilator's headers.
#pragma once

#include "Flash.h"
#include "FlashBus.h"
#include "SpiNor.h"

#include <cstdint>
#include <memory>
#include <span>

namespace tessary::rtl {

struct RtlSettings {
    uint32_t baudDivisor = 16;
    uint8_t registerBase = 0;
    bool fast = true;
    // Parallel: the Flash size announced. SPI: the most of the chip the host sees.
    uint32_t announcedFlashSize = 0;
    // SPI: the chip address of host address 0, and whether the top 128K erases as the boot
    // blocks of a 512K or 1M layout (96K, 8K, 8K, 16K).
    uint32_t flashOffset = 0;
    bool topBoot = false;
};

class RtlModel {
  public:
    // `ram` holds 16 MB; it and the chip outlive the model.
    RtlModel(const RtlSettings& settings, std::span<uint8_t> ram, board::Flash& flash,
             const FlashTiming& timing);
    RtlModel(const RtlSettings& settings, std::span<uint8_t> ram, SpiNor& chip);
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
    template <class Core> void Start(Core& core, const RtlSettings& settings);
    template <class Core> bool Step(Core& core, bool rxPin);
    std::unique_ptr<Parts> parts_;
    uint64_t cycles_ = 0;
};

} // namespace tessary::rtl
