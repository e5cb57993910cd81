// Settings every kind of device may carry, because they describe the board rather than the road
// to it: config=<memory configuration> (q0, q1, q2, q3, parvel4, parvel16) and base=<register
// base> (0 to 0xF8, a multiple of 8). Programs take them as the defaults for that device.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tessary::lnkutil {

bool IsBoardSetting(std::string_view key);

// False with a reason when the value is not one the key takes.
bool CheckBoardSetting(std::string_view key, std::string_view value, std::string* reason);

// A register base written as decimal or 0x hexadecimal, when it is 0 to 0xF8 and a multiple of 8.
std::optional<uint8_t> ParseRegisterBaseSetting(std::string_view text);

} // namespace tessary::lnkutil
