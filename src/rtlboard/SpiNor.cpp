#include "SpiNor.h"

#include <algorithm>
#include <bit>
#include <cstdio>

namespace tessary::rtl {
namespace {

constexpr uint8_t kRead = 0x03;
constexpr uint8_t kPageProgram = 0x02;
constexpr uint8_t kWriteEnable = 0x06;
constexpr uint8_t kWriteDisable = 0x04;
constexpr uint8_t kReadStatus = 0x05;
constexpr uint8_t kJedecId = 0x9F;
constexpr uint8_t kErase4K = 0x20;
constexpr uint8_t kErase32K = 0x52;
constexpr uint8_t kErase64K = 0xD8;
constexpr uint8_t kManufacturer = 0xEF; // Winbond
constexpr uint8_t kMemoryType = 0x40;
constexpr uint32_t kPage = 256;

std::string Hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof(text), "0x%X", static_cast<unsigned>(value));
    return text;
}

} // namespace

SpiNor::SpiNor(std::span<uint8_t> memory, uint32_t protectBelow, const SpiNorTiming& timing)
    : memory_(memory), protectBelow_(protectBelow), timing_(timing) {}

bool SpiNor::Update(const SpiPins& pins) {
    ++now_;
    if (last_.csN && !pins.csN) {
        Begin();
    } else if (!last_.csN && pins.csN) {
        End();
    }
    if (!pins.csN) {
        if (!last_.sck && pins.sck) {
            Rise(pins.mosi);
        } else if (last_.sck && !pins.sck) {
            miso_ = Fall();
        }
    } else {
        miso_ = true; // not driven: the pull-up
    }
    last_ = pins;
    return miso_;
}

uint8_t SpiNor::Status() const {
    return static_cast<uint8_t>((Busy() ? 0x01 : 0x00) | (writeEnabled_ ? 0x02 : 0x00));
}

uint32_t SpiNor::Address() const {
    return in_.size() < 4 ? 0 : (uint32_t{in_[1]} << 16 | uint32_t{in_[2]} << 8 | in_[3]);
}

void SpiNor::Fault(const std::string& what) {
    faults_.push_back(what);
}

bool SpiNor::Protected(uint32_t address) {
    if (address >= protectBelow_) {
        return false;
    }
    Fault("program or erase at " + Hex(address) + ", below " + Hex(protectBelow_));
    return true;
}

void SpiNor::Begin() {
    in_.clear();
    bits_ = 0;
    shift_ = 0;
    busyAtStart_ = Busy();
}

void SpiNor::Rise(bool mosi) {
    shift_ = static_cast<uint8_t>(shift_ << 1 | (mosi ? 1 : 0));
    if (++bits_ % 8 == 0) {
        in_.push_back(shift_);
    }
}

// After the falling edge that follows bit n, the chip drives bit n of what it sends.
bool SpiNor::Fall() {
    if (in_.empty()) {
        return true;
    }
    const uint32_t byte = bits_ / 8;
    const int bit = 7 - static_cast<int>(bits_ % 8);
    const uint8_t opcode = in_[0];
    if (busyAtStart_ && opcode != kReadStatus) {
        return true; // a busy chip ignores the command
    }
    uint8_t out = 0xFF;
    if (opcode == kReadStatus) {
        if (bits_ % 8 == 0) {
            statusOut_ = Status(); // each byte the status as it is when the byte starts
        }
        out = statusOut_;
    } else if (opcode == kJedecId && byte >= 1 && byte <= 3) {
        const uint8_t id[3] = {kManufacturer, kMemoryType,
                               static_cast<uint8_t>(std::countr_zero(memory_.size()))};
        out = id[byte - 1];
    } else if (opcode == kRead && byte >= 4) {
        out = memory_[(Address() + byte - 4) % memory_.size()];
    }
    return ((out >> bit) & 1) != 0;
}

SpiCommand SpiNor::Described() const {
    SpiCommand command;
    command.opcode = in_[0];
    command.whileBusy = busyAtStart_ || Busy();
    if (in_.size() >= 4) {
        command.address = Address() % memory_.size();
        command.dataBytes = static_cast<uint32_t>(in_.size() - 4);
    }
    if (command.opcode == kReadStatus) {
        command.status = statusOut_;
    }
    return command;
}

std::optional<SpiCommand> SpiNor::UnderWay() const {
    if (last_.csN || in_.empty()) {
        return std::nullopt;
    }
    return Described();
}

void SpiNor::End() {
    if (in_.empty()) {
        return;
    }
    const SpiCommand command = Described();
    if (keepLog_) {
        log_.push_back(command);
    }
    const std::string name = "command " + Hex(command.opcode);
    if (command.opcode == kReadStatus) {
        if (bits_ >= 16 && (statusOut_ & 0x01) == 0) {
            seenReady_ = true;
        }
        return;
    }
    if (command.whileBusy) {
        Fault(name + " while the chip was busy");
        return; // ignored, as a real part does
    }
    if (!seenReady_) {
        Fault(name + " before a status read showed the chip ready");
    }
    const bool whole = bits_ % 8 == 0;
    switch (command.opcode) {
    case kWriteEnable:
        writeEnabled_ = writeEnabled_ || whole;
        return;
    case kWriteDisable:
        writeEnabled_ = false;
        return;
    case kPageProgram:
    case kErase4K:
    case kErase32K:
    case kErase64K:
        break;
    default:
        return;
    }
    if (!whole || in_.size() < 4) {
        return; // a real part ignores a write command cut short
    }
    if (!writeEnabled_) {
        Fault(name + " without write enable");
        return;
    }
    writeEnabled_ = false;
    seenReady_ = false;
    const uint32_t address = command.address;
    if (command.opcode == kPageProgram) {
        const uint32_t count = command.dataBytes;
        if (count > kPage || address % kPage + count > kPage) {
            Fault("page program of " + std::to_string(count) + " bytes at " + Hex(address) +
                  " crosses a page");
        }
        busyUntil_ = now_ + timing_.pageProgramCycles;
        if (Protected(address)) {
            return;
        }
        // A real part wraps within the page and keeps the last 256 bytes.
        const uint32_t page = address - address % kPage;
        const uint32_t skip = count > kPage ? count - kPage : 0;
        for (uint32_t i = skip; i < count; ++i) {
            memory_[page + (address % kPage + i) % kPage] &= in_[4 + i];
        }
        return;
    }
    const uint32_t size = command.opcode == kErase4K    ? 4096
                          : command.opcode == kErase32K ? 32768
                                                        : 65536;
    busyUntil_ = now_ + (command.opcode == kErase4K    ? timing_.erase4KCycles
                         : command.opcode == kErase32K ? timing_.erase32KCycles
                                                       : timing_.erase64KCycles);
    const uint32_t start = address - address % size;
    if (Protected(start)) {
        return;
    }
    std::fill_n(memory_.begin() + start, size, uint8_t{0xFF});
}

} // namespace tessary::rtl
