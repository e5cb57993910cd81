#include "FlashBus.h"

#include "FlashCommands.h"

namespace tessary::rtl {
namespace {

constexpr uint8_t kErrorBits =
    kFlashStatusEraseError | kFlashStatusProgramError | kFlashStatusVppLow | kFlashStatusLocked;

} // namespace

uint8_t FlashBus::Update(const FlashPins& pins) {
    ++now_;
    const uint32_t offset = pins.address % flash_.size();
    // A write ends on the rising edge of WE# with CE# low; a busy chip ignores it.
    if (!last_.weN && pins.weN && !last_.ceN && !Busy()) {
        Write(last_.dataOut, offset);
    }
    // A read starts on the falling edge of OE# with CE# low; the chip drives its answer until
    // OE# rises. A busy chip answers its status, bit 7 low.
    if (last_.oeN && !pins.oeN && !pins.ceN) {
        if (Busy()) {
            driven_ = flash_.PeekStatus() & kErrorBits;
        } else {
            flash_.Read(offset, &driven_, 1);
        }
    }
    last_ = pins;
    return driven_;
}

// The byte after a program command is data, every other byte a command.
void FlashBus::Write(uint8_t value, uint32_t offset) {
    if (flash_.busy()) {
        return; // an erase the model itself holds busy (--busy-reads, --never-ready)
    }
    if (programNext_) {
        programNext_ = false;
        flash_.Program(offset, &value, 1);
        busyUntil_ = now_ + timing_.programCycles;
        return;
    }
    if (value == kFlashProgram || value == kFlashProgramAlternate) {
        programNext_ = true;
        eraseSetup_ = false;
        return;
    }
    const bool erase = eraseSetup_ && value == kFlashEraseConfirm;
    eraseSetup_ = value == kFlashBlockErase && !eraseSetup_;
    const uint8_t errorsBefore = flash_.PeekStatus() & kErrorBits;
    flash_.Command(value, offset);
    // A refused erase (a locked block) reports its error at once.
    if (erase && (flash_.PeekStatus() & kErrorBits) == errorsBefore) {
        busyUntil_ = now_ + EraseCycles(offset);
    }
}

uint64_t FlashBus::EraseCycles(uint32_t offset) const {
    const size_t block = flash_.BlockContaining(offset);
    const uint32_t start = block == 0 ? 0 : flash_.BlockEnd(block - 1);
    return timing_.eraseCycles128K * (flash_.BlockEnd(block) - start) / board::kEraseTimeBlock;
}

} // namespace tessary::rtl
