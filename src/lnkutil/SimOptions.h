// Settings of a simulated board in the device table, turned into the board's configuration:
// flash=512k|1m|4m|16m  base=<register base>  busy=<status reads>  locked=<block>[,<block>...]
// never-ready=yes|no  speed=<bytes per second>  fail-access=<n>  flip-byte=<n>  flip-from=<n>
// and config=<memory configuration> (BoardSettings.h).
// Numbers are decimal or 0x-prefixed hexadecimal.
#pragma once

#include "BoardConfig.h"
#include "DeviceEntry.h"

#include <string>

namespace tessary::lnkutil {

// Fills `config` (images untouched) from the options; false with a reason on a bad setting.
bool ParseSimOptions(const DeviceOptions& options, board::BoardConfig* config, std::string* reason);

} // namespace tessary::lnkutil
