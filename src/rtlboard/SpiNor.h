// A serial NOR Flash chip (W25Q-class: mode 0, 3-byte addresses, 256-byte pages) on the pins of
// the controller's SPI back end, as strict as a real part: WREN (0x06) sets the write-enable
// latch that one page program (0x02) or sector/block erase (0x20 4K, 0x52 32K, 0xD8 64K) uses
// up; those start when CS# rises after whole bytes and keep the chip busy (WIP, status bit 0)
// for their time, counted in clock cycles; a busy chip ignores every command but the status read
// (0x05). READ (0x03) streams from an address for as long as CS# stays low, JEDEC ID (0x9F)
// answers the manufacturer, type and 2^N capacity.
//
// Beside what a real part does, it keeps what the controller did: every command in a log, and a
// list of the faults a real chip would hide or punish: a command that needs the chip idle sent
// while it was busy, or before a status read had shown WIP clear since the last program or
// erase; a program or erase without write enable; a page program longer than a page or crossing
// one; and any program or erase below `protectBelow`, which it refuses.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tessary::rtl {

struct SpiPins {
    bool sck = false;
    bool csN = true;
    bool mosi = false;
};

struct SpiNorTiming {
    uint64_t pageProgramCycles = 0;
    uint64_t erase4KCycles = 0;
    uint64_t erase32KCycles = 0;
    uint64_t erase64KCycles = 0;
};

// One command, as CS# rose after it.
struct SpiCommand {
    uint8_t opcode = 0;
    uint32_t address = 0;   // commands with an address
    uint32_t dataBytes = 0; // bytes after the address (page program, read)
    uint8_t status = 0;     // status read: the last status byte sent
    bool whileBusy = false; // sent while WIP was set
};

class SpiNor {
  public:
    // `memory` is the whole chip, a power of two from 64 KB to 16 MB; it outlives the chip.
    SpiNor(std::span<uint8_t> memory, uint32_t protectBelow, const SpiNorTiming& timing);

    // The pins after a clock edge, one call a clock cycle; returns the level of MISO.
    bool Update(const SpiPins& pins);
    bool Busy() const { return now_ < busyUntil_; }
    uint64_t BusyCyclesLeft() const { return Busy() ? busyUntil_ - now_ : 0; }
    // Time passes with the pins unchanged.
    void Pass(uint64_t cycles) { now_ += cycles; }

    // Keep every command in Log() (off: only the faults are kept).
    void KeepLog(bool keep) { keepLog_ = keep; }
    const std::vector<SpiCommand>& Log() const { return log_; }
    // The command CS# is still low for (a READ the controller keeps streaming), as it stands.
    std::optional<SpiCommand> UnderWay() const;
    const std::vector<std::string>& Faults() const { return faults_; }

  private:
    void Begin();
    void Rise(bool mosi);
    bool Fall();
    void End();
    SpiCommand Described() const; // the command under way
    uint8_t Status() const;
    uint32_t Address() const;
    void Fault(const std::string& what);
    bool Protected(uint32_t address);

    std::span<uint8_t> memory_;
    uint32_t protectBelow_;
    SpiNorTiming timing_;
    SpiPins last_;
    bool miso_ = true;
    uint64_t now_ = 0;
    uint64_t busyUntil_ = 0;
    bool writeEnabled_ = false;
    bool seenReady_ = true; // a status read showed WIP clear since the last program or erase
    // The command under way.
    std::vector<uint8_t> in_;
    uint32_t bits_ = 0;
    uint8_t shift_ = 0;
    uint8_t statusOut_ = 0;
    bool busyAtStart_ = false;
    bool keepLog_ = false;
    std::vector<SpiCommand> log_;
    std::vector<std::string> faults_;
};

} // namespace tessary::rtl
