#include "SimBoard.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tessary::board {
namespace {

std::chrono::nanoseconds Scaled(std::chrono::nanoseconds time, double scale) {
    return std::chrono::nanoseconds(std::llround(static_cast<double>(time.count()) * scale));
}

FlashTiming TimingOf(const BoardConfig& config) {
    FlashTiming timing;
    timing.byteProgram = Scaled(std::chrono::microseconds(config.programMicros), config.timeScale);
    timing.blockErase = Scaled(std::chrono::milliseconds(config.eraseMillis), config.timeScale);
    return timing;
}

} // namespace

std::unique_ptr<SimBoard> SimBoard::Create(const BoardConfig& config, std::string* error,
                                           BoardClock& clock) {
    MemoryImage ram;
    MemoryImage flash;
    if ((config.ramSize > 0 && !ram.Open(config.ramImage, config.ramSize, 0x00, error)) ||
        !flash.Open(config.flashImage, FlashLayoutSize(config.flashLayout), 0xFF, error)) {
        return nullptr;
    }
    return std::unique_ptr<SimBoard>(new SimBoard(config, std::move(ram), std::move(flash), clock));
}

SimBoard::SimBoard(const BoardConfig& config, MemoryImage&& ram, MemoryImage&& flash,
                   BoardClock& clock)
    : config_(config), clock_(clock), ram_(std::move(ram)), flashImage_(std::move(flash)),
      flash_(flashImage_.data(), FlashBlockSizes(config.flashLayout), clock) {
    config_.registerBase &= 0xF8;
    if (config_.ramSize == 0) {
        config_.ramImage.clear();
    }
    flash_.SetTiming(TimingOf(config_));
    flash_.SetBusyReads(config_.busyReads);
    flash_.SetLockedBlocks(config_.lockedBlocks);
    flash_.SetNeverReady(config_.neverReady);
    flash_.SetIgnoredErases(config_.ignoredErases);
    speed_.SetRate(config_.bytesPerSecond);
    SetFaults(config_.faults);
}

void SimBoard::SetRegisterBase(uint8_t base) {
    config_.registerBase = base & 0xF8;
}

void SimBoard::SetBusyReads(uint32_t reads) {
    config_.busyReads = reads;
    flash_.SetBusyReads(reads);
}

void SimBoard::SetTimeScale(double scale) {
    config_.timeScale = scale;
    flash_.SetTiming(TimingOf(config_));
}

void SimBoard::SetLockedBlocks(const std::vector<uint32_t>& blocks) {
    config_.lockedBlocks = blocks;
    flash_.SetLockedBlocks(blocks);
}

void SimBoard::SetNeverReady(bool neverReady) {
    config_.neverReady = neverReady;
    flash_.SetNeverReady(neverReady);
}

void SimBoard::SetFaults(const FaultConfig& faults) {
    config_.faults = faults;
    accesses_ = 0;
    bytesRead_ = 0;
    faultsArmed_ = faults.failAccess != 0 || faults.flipByte != 0 || faults.flipFrom != 0;
}

void SimBoard::PowerCycle() {
    control_ = kControlIdle;
    command_ = 0xFF;
    address_ = 0;
    flash_.Reset();
}

bool SimBoard::Admit(size_t bytes) {
    if (faultsArmed_ && ++accesses_ == config_.faults.failAccess) {
        return false;
    }
    speed_.Pass(bytes);
    return true;
}

bool SimBoard::WriteRegister(uint8_t reg, uint8_t value) {
    if (!Admit(1)) {
        return false;
    }
    if (InBlock(reg)) {
        WriteOne(reg & 7, value);
    }
    return true;
}

bool SimBoard::ReadRegister(uint8_t reg, uint8_t* value) {
    if (!Admit(1)) {
        return false;
    }
    *value = InBlock(reg) ? ReadOne(reg & 7) : 0xFF;
    return true;
}

bool SimBoard::WriteRepeat(uint8_t reg, const uint8_t* data, size_t count) {
    if (!Admit(count)) {
        return false;
    }
    if (!InBlock(reg)) {
        return true;
    }
    const uint8_t offset = reg & 7;
    if (offset == kRegRamData) {
        WriteRamRun(data, count);
    } else if (offset == kRegFlashData) {
        WriteFlashRun(data, count);
    } else {
        for (size_t i = 0; i < count; ++i) {
            WriteOne(offset, data[i]);
        }
    }
    return true;
}

bool SimBoard::ReadRepeat(uint8_t reg, uint8_t* data, size_t count) {
    if (!Admit(count)) {
        return false;
    }
    if (!InBlock(reg)) {
        std::memset(data, 0xFF, count);
        return true;
    }
    const uint8_t offset = reg & 7;
    if (offset == kRegRamData) {
        ReadRamRun(data, count);
    } else if (offset == kRegFlashData) {
        ReadFlashRun(data, count);
    } else {
        for (size_t i = 0; i < count; ++i) {
            data[i] = ReadOne(offset);
        }
    }
    return true;
}

bool SimBoard::WriteSet(const uint8_t* regs, const uint8_t* data, size_t count) {
    if (!Admit(count)) {
        return false;
    }
    for (size_t i = 0; i < count; ++i) {
        if (InBlock(regs[i])) {
            WriteOne(regs[i] & 7, data[i]);
        }
    }
    return true;
}

bool SimBoard::ReadSet(const uint8_t* regs, uint8_t* values, size_t count) {
    if (!Admit(count)) {
        return false;
    }
    for (size_t i = 0; i < count; ++i) {
        values[i] = InBlock(regs[i]) ? ReadOne(regs[i] & 7) : 0xFF;
    }
    return true;
}

void SimBoard::WriteOne(uint8_t offset, uint8_t value) {
    switch (offset) {
    case kRegControl:
        // The Flash takes the command byte on the 0xF7 edge that ends a 0xF5 strobe.
        if (value == kControlStrobeOff && control_ == kControlStrobeOn) {
            flash_.Command(command_, address_ % flash_.size());
        }
        control_ = value;
        break;
    case kRegAddressLow:
        address_ = (address_ & 0xFFFF00) | value;
        break;
    case kRegAddressMid:
        address_ = (address_ & 0xFF00FF) | (uint32_t{value} << 8);
        break;
    case kRegAddressHigh:
        address_ = (address_ & 0x00FFFF) | (uint32_t{value} << 16);
        break;
    case kRegFlashCommand:
        command_ = value;
        break;
    case kRegRamData:
        WriteRamRun(&value, 1);
        break;
    case kRegFlashData:
        WriteFlashRun(&value, 1);
        break;
    default: // the status register cannot be written
        break;
    }
}

uint8_t SimBoard::ReadOne(uint8_t offset) {
    uint8_t value = 0;
    switch (offset) {
    case kRegControl:
        return control_;
    case kRegAddressLow:
        return static_cast<uint8_t>(address_);
    case kRegAddressMid:
        return static_cast<uint8_t>(address_ >> 8);
    case kRegAddressHigh:
        return static_cast<uint8_t>(address_ >> 16);
    case kRegFlashCommand:
        return command_;
    case kRegFlashStatus:
        // The status drives the bus only while the control register asks for it.
        return control_ == kControlStatusRead ? flash_.ReadStatus() : 0x00;
    case kRegRamData:
        ReadRamRun(&value, 1);
        return value;
    default:
        ReadFlashRun(&value, 1);
        return value;
    }
}

void SimBoard::WriteRamRun(const uint8_t* data, size_t count) {
    const uint32_t size = config_.ramSize;
    if (size == 0) {
        Advance(count);
        return;
    }
    // The RAM is smaller than the address space and repeats through it.
    while (count > 0) {
        const uint32_t offset = address_ % size;
        const size_t run = std::min<size_t>(count, size - offset);
        std::memcpy(ram_.data() + offset, data, run);
        Advance(run);
        data += run;
        count -= run;
    }
}

void SimBoard::ReadRamRun(uint8_t* data, size_t count) {
    uint8_t* const start = data;
    const size_t total = count;
    const uint32_t size = config_.ramSize;
    if (size == 0) {
        std::memset(data, 0xFF, count);
        Advance(count);
        count = 0;
    }
    while (count > 0) {
        const uint32_t offset = address_ % size;
        const size_t run = std::min<size_t>(count, size - offset);
        std::memcpy(data, ram_.data() + offset, run);
        Advance(run);
        data += run;
        count -= run;
    }
    CountReadBack(start, total);
}

void SimBoard::WriteFlashRun(const uint8_t* data, size_t count) {
    // The Flash is smaller than the address space and repeats through it. The controller waits
    // for the chip after each byte; the chip ignores the bytes of a run that finds it busy.
    while (count > 0) {
        const uint32_t offset = address_ % flash_.size();
        const size_t run = std::min<size_t>(count, flash_.size() - offset);
        if (flash_.Program(offset, data, run)) {
            clock_.SleepUntil(flash_.readyAt());
        }
        Advance(run);
        data += run;
        count -= run;
    }
}

void SimBoard::ReadFlashRun(uint8_t* data, size_t count) {
    uint8_t* const start = data;
    const size_t total = count;
    while (count > 0) {
        const uint32_t offset = address_ % flash_.size();
        const size_t run = std::min<size_t>(count, flash_.size() - offset);
        flash_.Read(offset, data, run);
        Advance(run);
        data += run;
        count -= run;
    }
    CountReadBack(start, total);
}

void SimBoard::CountReadBack(uint8_t* data, size_t count) {
    if (!faultsArmed_) {
        return;
    }
    const FaultConfig& f = config_.faults;
    const uint64_t first = bytesRead_ + 1; // 1-based number of data[0]
    bytesRead_ += count;
    if (f.flipByte >= first && f.flipByte <= bytesRead_) {
        data[f.flipByte - first] ^= f.flipMask;
    }
    if (f.flipFrom != 0 && f.flipFrom <= bytesRead_) {
        for (uint64_t i = std::max(f.flipFrom, first) - first; i < count; ++i) {
            data[i] ^= f.flipMask;
        }
    }
}

} // namespace tessary::board
