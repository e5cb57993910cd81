#pragma once

#include <cstdint>
#include <string>

namespace tessary {

// What the Properties page (and the command line) says about a register base it cannot use.
inline constexpr const char* kRegisterBaseMessage =
    "Register address must be 0x00 - 0xff and a multiple of 8";
inline constexpr const char* kRegisterBaseCaption = "error";

// The controller's first register named by the text: 0x00 to 0xF8 in steps of 8, or -1 when the
// text names anything else. The text is cleaned in place, as ParseNumber does.
int32_t ParseRegisterBase(std::string& text);

} // namespace tessary
