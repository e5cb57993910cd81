// Settings of a simulated board in the device table, turned into the board's configuration:
// flash=512k|1m|4m|16m  base=<register base>  busy=<status reads>  locked=<block>[,<block>...]
// never-ready=yes|no  checksum=yes|no  speed=<bytes per second>  fail-access=<n>  flip-byte=<n>
// flip-from=<n> program-us=<a byte's program time>  erase-ms=<a 128K block's erase time>
// time-scale=<factor> and config=<memory configuration> (BoardSettings.h), which gives the board
// its RAM size. Numbers are decimal or 0x-prefixed hexadecimal; the time scale a decimal fraction.
#pragma once

#include "BoardConfig.h"
#include "DeviceEntry.h"

#include <optional>
#include <ostream>
#include <string>
#include <string_view>

namespace tessary::lnkutil {

// Fills `config` (images untouched) from the options; false with a reason on a bad setting.
// Settings the options leave out keep the values `config` has.
bool ParseSimOptions(const DeviceOptions& options, board::BoardConfig* config, std::string* reason);

// A time scale: a finite decimal number of 0 or more ("0.01"); nullopt otherwise.
std::optional<double> ParseTimeScale(std::string_view text);

// LNKUTIL_SIM_TIME_SCALE, the time scale of every simulated board whose entry sets none (tests
// set it to run fast); nullopt when unset or empty, and when bad (said on `warnings`).
std::optional<double> SimTimeScaleOfEnvironment(std::ostream& warnings);

} // namespace tessary::lnkutil
