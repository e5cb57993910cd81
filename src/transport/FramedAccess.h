#pragma once

#include "Cancel.h"
#include "RegisterPort.h"

#include <cstdint>

namespace tessary {

// Repeated accesses and register lists of any length over a port that carries at most one
// frame's worth per call (SerialPort): the pieces go out one after another, in order. The memory
// controller advances its address after every data byte, so each piece of a repeated access
// continues where the last one ended. The first failing piece ends the access with the port's
// error code; a negative count is handed to the port, which refuses it. A cancel is looked at
// between pieces: a cancelled access stops between frames and returns false, and an access of
// one frame (a command sent while cleaning up after a cancel) always goes out.
bool PutRegRepeatInFrames(RegisterPort& port, int32_t count, uint8_t address, const uint8_t* data,
                          const CancelToken& cancel = CancelToken::Never());
bool GetRegRepeatInFrames(RegisterPort& port, int32_t count, uint8_t address, uint8_t* data,
                          const CancelToken& cancel = CancelToken::Never());
bool PutRegSetInFrames(RegisterPort& port, int32_t count, const RegisterPair* pairs,
                       const CancelToken& cancel = CancelToken::Never());
bool GetRegSetInFrames(RegisterPort& port, int32_t count, RegisterPair* pairs,
                       const CancelToken& cancel = CancelToken::Never());

} // namespace tessary
