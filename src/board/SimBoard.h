// The simulated board: a memory controller's eight registers in front of the RAM of its memory
// configuration and an Intel-style Flash chip. It answers register traffic the way the hardware
// does, including the ways a careless client goes wrong, and can be told to fail on purpose.
//
// Register block (at the configured base): +0 control, +1..+3 address bits 0-7, 8-15, 16-23,
// +4 Flash command, +5 Flash status (while control holds 0xF6), +6 RAM data, +7 Flash data.
// The controller advances its 24-bit address after every byte through +6 and +7 and wraps at
// 0xFFFFFF; the RAM and the Flash see the address modulo their size, as their address lines do.
// A board without RAM ignores RAM writes and reads 0xFF. A control write of 0xF7 right after
// 0xF5 hands the byte in +4 to the Flash. A Flash data write waits for the chip after each byte,
// so the access ends when the last byte is programmed.
#pragma once

#include "BoardConfig.h"
#include "ControllerRegisters.h"
#include "Flash.h"
#include "MemoryImage.h"
#include "SpeedLimit.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace tessary::board {

// All the controller's 24 address bits reach: the most RAM a board carries (16 MB).
inline constexpr uint32_t kRamSize = 1u << 24;
inline constexpr uint32_t kAddressMask = kRamSize - 1;

class SimBoard {
  public:
    // Builds a board whose chip keeps time by `clock` (which outlives it); null with a reason
    // when an image file cannot be opened or has another size than the memory it holds.
    static std::unique_ptr<SimBoard> Create(const BoardConfig& config, std::string* error,
                                            BoardClock& clock = RealClock());

    // One register access each. False (and nothing happens) when an injected fault hits.
    // Registers outside the block ignore writes and read as 0xFF.
    bool WriteRegister(uint8_t reg, uint8_t value);
    bool ReadRegister(uint8_t reg, uint8_t* value);
    bool WriteRepeat(uint8_t reg, const uint8_t* data, size_t count);
    bool ReadRepeat(uint8_t reg, uint8_t* data, size_t count);
    bool WriteSet(const uint8_t* regs, const uint8_t* data, size_t count);
    bool ReadSet(const uint8_t* regs, uint8_t* values, size_t count);

    // Run-time configuration.
    void SetRegisterBase(uint8_t base);
    void SetBusyReads(uint32_t reads);
    // Factor on the Flash's times from the next program or erase on (0 = at once).
    void SetTimeScale(double scale);
    void SetLockedBlocks(const std::vector<uint32_t>& blocks);
    void SetNeverReady(bool neverReady);
    // Sets the faults and restarts their counters.
    void SetFaults(const FaultConfig& faults);
    // Power cycle: controller idle at address 0, Flash in read-array mode. Memories keep their
    // contents.
    void PowerCycle();

    // Inspection.
    const BoardConfig& config() const { return config_; }
    std::span<uint8_t> Ram() { return ram_.bytes(); }
    std::span<uint8_t> FlashMemory() { return flashImage_.bytes(); }
    Flash& flash() { return flash_; }
    uint32_t address() const { return address_; }
    uint8_t control() const { return control_; }

  private:
    SimBoard(const BoardConfig& config, MemoryImage&& ram, MemoryImage&& flash, BoardClock& clock);

    bool Admit(size_t bytes);
    void WriteOne(uint8_t offset, uint8_t value);
    uint8_t ReadOne(uint8_t offset);
    void WriteRamRun(const uint8_t* data, size_t count);
    void ReadRamRun(uint8_t* data, size_t count);
    void WriteFlashRun(const uint8_t* data, size_t count);
    void ReadFlashRun(uint8_t* data, size_t count);
    void CountReadBack(uint8_t* data, size_t count);
    void Advance(size_t count) {
        address_ = (address_ + static_cast<uint32_t>(count)) & kAddressMask;
    }
    bool InBlock(uint8_t reg) const { return (reg & 0xF8) == config_.registerBase; }

    BoardConfig config_;
    BoardClock& clock_;
    MemoryImage ram_;
    MemoryImage flashImage_;
    Flash flash_;
    SpeedLimit speed_;
    uint8_t control_ = kControlIdle;
    uint8_t command_ = 0xFF;
    uint32_t address_ = 0;
    uint64_t accesses_ = 0;
    uint64_t bytesRead_ = 0;
    bool faultsArmed_ = false;
};

} // namespace tessary::board
