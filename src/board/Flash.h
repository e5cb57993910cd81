// An Intel-style Flash chip over a block of memory: block erase (with its confirm), read array,
// read status, clear status (FlashCommands.h). A byte written to the chip programs with AND
// semantics and leaves the chip reporting status until read array is commanded. Programming and
// erasing take time, as on a real part: until the operation's deadline the chip reports busy
// (status bit 7 clear) and ignores commands and data.
#pragma once

#include "BoardClock.h"
#include "FlashCommands.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tessary::board {

// How long the chip takes. Zero is at once.
struct FlashTiming {
    std::chrono::nanoseconds byteProgram{0};
    // The erase of a 128K block; a smaller block takes its share.
    std::chrono::nanoseconds blockErase{0};
};

// The times of a typical part: 10 us to program a byte, 0.5 s to erase a 128K block.
inline constexpr uint32_t kTypicalProgramMicros = 10;
inline constexpr uint32_t kTypicalEraseMillis = 500;
inline constexpr uint32_t kEraseTimeBlock = 128 * 1024;

// The erases a faulty chip accepts and reports done without erasing: the block keeps its content.
// Erases are counted from 1, one for every block erase with its confirm the chip is given.
struct IgnoredErases {
    // The first erase ignored; 0 = none.
    uint64_t from = 0;
    // How many, from `from` on; 0 = every one.
    uint64_t count = 0;
};

class Flash {
  public:
    enum class Mode { ReadArray, Status };

    // `memory` holds the sum of `blockSizes` bytes and outlives the chip, and so does `clock`.
    // The chip starts with no busy time (SetTiming).
    Flash(uint8_t* memory, std::span<const uint32_t> blockSizes,
          const BoardClock& clock = RealClock());

    // A command byte written to the chip while the address registers hold `offset`.
    void Command(uint8_t command, uint32_t offset);
    // One read of the status register; every status read counts down a running erase.
    uint8_t ReadStatus();
    // `count` data reads starting at `offset` (offset + count <= size()): contents in read-array
    // mode, the status byte (one status read per byte) in status mode.
    void Read(uint32_t offset, uint8_t* out, size_t count);
    // `count` bytes programmed one after the other from `offset` (offset + count <= size()), each
    // written once the one before is done: the chip is busy for `count` byte-program times. A busy
    // chip ignores them all: false.
    bool Program(uint32_t offset, const uint8_t* in, size_t count);

    void SetTiming(const FlashTiming& timing) { timing_ = timing; }
    // Status reads that report busy after an erase, however long it takes.
    void SetBusyReads(uint32_t reads) { busyReads_ = reads; }
    // Locked blocks refuse erase and programming and set the error bits.
    void SetLockedBlocks(std::span<const uint32_t> blocks);
    // A never-ready chip starts an erase and never finishes it.
    void SetNeverReady(bool neverReady);
    // A chip that fails to erase: the erases `ignored` names run their time and their busy
    // reads, then report ready with no error, and the block is as it was. Restarts the count.
    void SetIgnoredErases(const IgnoredErases& ignored);
    // Power cycle: read-array mode, no errors, nothing under way.
    void Reset();

    bool busy() const { return stuck_ || busyLeft_ > 0 || clock_->Now() < readyAt_; }
    // When the program or erase under way ends (the status reads aside).
    BoardClock::TimePoint readyAt() const { return readyAt_; }
    // What a read of the data register returns now: the array or the status.
    Mode mode() const { return mode_; }
    // The status byte as the next status read would see it, without counting down.
    uint8_t PeekStatus() const { return busy() ? errors_ : uint8_t(kFlashStatusReady | errors_); }
    uint32_t size() const { return size_; }
    uint32_t BlockEnd(size_t index) const;
    // Index of the block holding `offset` (offset < size()).
    size_t BlockContaining(uint32_t offset) const;

  private:
    void Erase(uint32_t offset);
    bool IgnoresErase();
    void ProgramRun(uint32_t offset, const uint8_t* in, size_t count);

    uint8_t* memory_;
    const BoardClock* clock_;
    FlashTiming timing_;
    BoardClock::TimePoint readyAt_{};
    uint32_t size_ = 0;
    std::vector<uint32_t> blockStarts_;
    std::vector<bool> locked_;
    bool anyLocked_ = false;
    Mode mode_ = Mode::ReadArray;
    uint8_t errors_ = 0;
    bool eraseSetup_ = false;
    uint32_t busyReads_ = 0;
    uint32_t busyLeft_ = 0;
    bool neverReady_ = false;
    bool stuck_ = false;
    IgnoredErases ignored_;
    uint64_t erases_ = 0;
};

} // namespace tessary::board
