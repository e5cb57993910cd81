// The SPI Flash chip's record as a text file: one line a command ("05 status=03 busy",
// "02 addr=100000 bytes=256"; the last may be a READ still streaming), then one line a fault
// ("fault: ...").
#pragma once

#include "SpiNor.h"

#include <string>

namespace tessary::rtl {

bool WriteSpiLog(const std::string& path, const SpiNor& chip);

} // namespace tessary::rtl
