// Settings of a board on a serial line: path=<tty> (required), and the board settings config= and
// base= (BoardSettings.h).
#pragma once

#include "DeviceEntry.h"

#include <string>

namespace tessary::lnkutil {

bool ValidateSerialOptions(const DeviceOptions& options, std::string* reason);

} // namespace tessary::lnkutil
