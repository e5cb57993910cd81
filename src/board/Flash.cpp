#include "Flash.h"

#include <algorithm>
#include <cstring>

namespace tessary::board {

Flash::Flash(uint8_t* memory, std::span<const uint32_t> blockSizes, const BoardClock& clock)
    : memory_(memory), clock_(&clock) {
    for (uint32_t blockSize : blockSizes) {
        blockStarts_.push_back(size_);
        size_ += blockSize;
    }
    locked_.assign(blockStarts_.size(), false);
}

uint32_t Flash::BlockEnd(size_t index) const {
    return index + 1 < blockStarts_.size() ? blockStarts_[index + 1] : size_;
}

size_t Flash::BlockContaining(uint32_t offset) const {
    const auto next = std::upper_bound(blockStarts_.begin(), blockStarts_.end(), offset);
    return static_cast<size_t>(next - blockStarts_.begin()) - 1;
}

void Flash::SetLockedBlocks(std::span<const uint32_t> blocks) {
    locked_.assign(blockStarts_.size(), false);
    anyLocked_ = false;
    for (uint32_t block : blocks) {
        if (block < locked_.size()) {
            locked_[block] = true;
            anyLocked_ = true;
        }
    }
}

void Flash::SetNeverReady(bool neverReady) {
    neverReady_ = neverReady;
    if (!neverReady) {
        stuck_ = false;
    }
}

void Flash::SetIgnoredErases(const IgnoredErases& ignored) {
    ignored_ = ignored;
    erases_ = 0;
}

void Flash::Reset() {
    mode_ = Mode::ReadArray;
    errors_ = 0;
    eraseSetup_ = false;
    busyLeft_ = 0;
    readyAt_ = {};
    stuck_ = false;
}

void Flash::Command(uint8_t command, uint32_t offset) {
    if (busy()) {
        return;
    }
    if (eraseSetup_) {
        eraseSetup_ = false;
        mode_ = Mode::Status;
        if (command == kFlashEraseConfirm) {
            Erase(offset);
        } else {
            // An erase setup followed by anything but its confirm is a command-sequence error.
            errors_ |= kFlashStatusEraseError | kFlashStatusProgramError;
        }
        return;
    }
    switch (command) {
    case kFlashReadArray:
        mode_ = Mode::ReadArray;
        break;
    case kFlashReadStatus:
        mode_ = Mode::Status;
        break;
    case kFlashClearStatus:
        errors_ = 0;
        break;
    case kFlashBlockErase:
        eraseSetup_ = true;
        mode_ = Mode::Status;
        break;
    default:
        break;
    }
}

bool Flash::IgnoresErase() {
    ++erases_;
    return ignored_.from != 0 && erases_ >= ignored_.from &&
           (ignored_.count == 0 || erases_ - ignored_.from < ignored_.count);
}

void Flash::Erase(uint32_t offset) {
    const bool ignored = IgnoresErase();
    const size_t block = BlockContaining(offset);
    if (locked_[block]) {
        errors_ |= kFlashStatusEraseError | kFlashStatusLocked;
        return;
    }
    if (neverReady_) {
        stuck_ = true;
        return;
    }
    const uint32_t size = BlockEnd(block) - blockStarts_[block];
    if (!ignored) {
        std::memset(memory_ + blockStarts_[block], 0xFF, size);
    }
    busyLeft_ = busyReads_;
    readyAt_ = clock_->Now() + timing_.blockErase * size / kEraseTimeBlock;
}

uint8_t Flash::ReadStatus() {
    const uint8_t status = PeekStatus();
    if (busyLeft_ > 0) {
        --busyLeft_;
    }
    return status;
}

void Flash::Read(uint32_t offset, uint8_t* out, size_t count) {
    if (mode_ == Mode::ReadArray && !busy()) {
        std::memcpy(out, memory_ + offset, count);
        return;
    }
    // Each byte is one status read: a running erase counts down as the reads go by.
    size_t done = 0;
    if (!stuck_ && busyLeft_ > 0) {
        done = std::min<size_t>(count, busyLeft_);
        busyLeft_ -= static_cast<uint32_t>(done);
        std::memset(out, errors_, done);
    }
    std::memset(out + done, PeekStatus(), count - done);
}

bool Flash::Program(uint32_t offset, const uint8_t* in, size_t count) {
    if (busy()) {
        return false;
    }
    mode_ = Mode::Status;
    readyAt_ = clock_->Now() + timing_.byteProgram * static_cast<int64_t>(count);
    if (!anyLocked_) {
        ProgramRun(offset, in, count);
        return true;
    }
    const uint32_t end = offset + static_cast<uint32_t>(count);
    while (offset < end) {
        const size_t block = BlockContaining(offset);
        const uint32_t runEnd = std::min(end, BlockEnd(block));
        if (locked_[block]) {
            errors_ |= kFlashStatusProgramError | kFlashStatusLocked;
        } else {
            ProgramRun(offset, in, runEnd - offset);
        }
        in += runEnd - offset;
        offset = runEnd;
    }
    return true;
}

void Flash::ProgramRun(uint32_t offset, const uint8_t* in, size_t count) {
    // Programming only clears bits; a plain loop the compiler vectorises.
    uint8_t* __restrict cell = memory_ + offset;
    const uint8_t* __restrict value = in;
    for (size_t i = 0; i < count; ++i) {
        cell[i] &= value[i];
    }
}

} // namespace tessary::board
