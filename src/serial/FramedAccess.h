#pragma once

#include "Cancel.h"
#include "RegisterPort.h"

#include <cstdint>

namespace tessary {

class SerialPort;

// Repeated accesses and register lists of any length over a serial port, which carries at most
// one frame's worth per request: the pieces go out in order, as many in flight as the port's
// window allows, each as long as the board takes. The memory controller advances its address
// after every data byte, so each piece of a repeated access continues where the last one ended.
// The first failing piece ends the access with the port's error code (the replies still due are
// drained); a negative count is handed to the port, which refuses it. A cancel is looked at
// between pieces and while waiting for replies: a cancelled access sends nothing more, takes the
// replies of what it sent while they keep coming (a board that stalls leaves the port out of step
// until it is closed, SerialPort.h), and returns false; an access of one frame (a command sent
// while cleaning up after a cancel) always goes out and waits for its reply.
bool PutRegRepeatInFrames(SerialPort& port, int32_t count, uint8_t address, const uint8_t* data,
                          const CancelToken& cancel = CancelToken::Never());
bool GetRegRepeatInFrames(SerialPort& port, int32_t count, uint8_t address, uint8_t* data,
                          const CancelToken& cancel = CancelToken::Never());

// As PutRegRepeatInFrames, for a board that fills on its side (x=f): runs of one value go as
// fill requests (WritePieces.h), the rest as data frames, all in the same window.
bool PutRegRepeatFilledInFrames(SerialPort& port, int32_t count, uint8_t address,
                                const uint8_t* data,
                                const CancelToken& cancel = CancelToken::Never());

// As GetRegRepeatInFrames, for a board that answers run-length reads (x=r): run-length reads of
// what is left, one at a time, while each reply stands for at least twice its own bytes on the
// line; the rest of the access then goes as compact reads in the window. A reply that does not
// decode fails the access (kErrWrongReply). A cancel is looked at between requests.
bool GetRegRepeatInRuns(SerialPort& port, int32_t count, uint8_t address, uint8_t* data,
                        const CancelToken& cancel = CancelToken::Never());
bool PutRegSetInFrames(SerialPort& port, int32_t count, const RegisterPair* pairs,
                       const CancelToken& cancel = CancelToken::Never());
bool GetRegSetInFrames(SerialPort& port, int32_t count, RegisterPair* pairs,
                       const CancelToken& cancel = CancelToken::Never());

// Writes `count` bytes to register `reg` and reads every piece back as soon as it is written:
// the write, then the register list rewind(offset, pairs) (at most kMaxRewindPairs; it sets the
// address back to the piece's start, after whatever makes the memory readable), then the read
// into `readBack`. The address then stands after the piece again, where the next write goes on.
// With a window, on a full-duplex line, the reads come back while the next writes go out. A
// cancel is looked at between pieces, as above.
bool PutRegRepeatReadBackInFrames(SerialPort& port, int32_t count, uint8_t reg, const uint8_t* data,
                                  uint8_t* readBack, const RewindList& rewind,
                                  const CancelToken& cancel = CancelToken::Never());

} // namespace tessary
