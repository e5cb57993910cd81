#include "FlashBus.h"

namespace tessary::rtl {
namespace {

constexpr uint8_t kProgramSetup = 0x40;
constexpr uint8_t kProgramSetupAlternate = 0x10;

} // namespace

uint8_t FlashBus::Update(const FlashPins& pins) {
    const uint32_t offset = pins.address % flash_.size();
    // A write ends on the rising edge of WE# with CE# low: the byte after a program command is
    // data, every other byte a command.
    if (!last_.weN && pins.weN && !last_.ceN) {
        const uint8_t value = last_.dataOut;
        if (programNext_) {
            programNext_ = false;
            flash_.Program(offset, &value, 1);
        } else if (value == kProgramSetup || value == kProgramSetupAlternate) {
            programNext_ = true;
        } else {
            flash_.Command(value, offset);
        }
    }
    // A read starts on the falling edge of OE# with CE# low; the chip drives its answer until
    // OE# rises.
    if (last_.oeN && !pins.oeN && !pins.ceN) {
        flash_.Read(offset, &driven_, 1);
    }
    last_ = pins;
    return driven_;
}

} // namespace tessary::rtl
