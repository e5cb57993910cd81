#pragma once

#include "RegisterPort.h"

#include <cstdint>

namespace tessary {

// Repeated accesses and register lists of any length over a port that carries at most one
// frame's worth per call (SerialPort): the pieces go out one after another, in order. The memory
// controller advances its address after every data byte, so each piece of a repeated access
// continues where the last one ended. The first failing piece ends the access with the port's
// error code; a negative count is handed to the port, which refuses it.
bool PutRegRepeatInFrames(RegisterPort& port, int32_t count, uint8_t address, const uint8_t* data);
bool GetRegRepeatInFrames(RegisterPort& port, int32_t count, uint8_t address, uint8_t* data);
bool PutRegSetInFrames(RegisterPort& port, int32_t count, const RegisterPair* pairs);
bool GetRegSetInFrames(RegisterPort& port, int32_t count, RegisterPair* pairs);

} // namespace tessary
