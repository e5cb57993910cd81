// Runs the verilated controller against a terminal: bytes the client writes go to the
// controller's receive pin bit by bit at the line's speed in simulated time, and what its
// transmit pin sends goes back to the client. The simulation runs as fast as it can while
// anything is under way and waits for the client, without simulating, while all is quiet; a
// Flash program or erase under way meanwhile goes on in real time, as a chip's does.
#pragma once

#include "Interrupt.h"
#include "RtlModel.h"
#include "UartLine.h"

#include <cstdint>

namespace tessary::rtl {

class RtlPeer {
  public:
    RtlPeer(int fd, RtlModel& model, uint32_t baudDivisor, uint32_t clockHz,
            peer::Interrupt& interrupt);

    // True when a signal ended it, false when the terminal failed.
    bool Run();

    uint64_t BytesToController() const { return line_.BytesSent(); }
    uint64_t BytesFromController() const { return bytesBack_; }

  private:
    // Waits for the client while all is quiet; false when a signal ended the wait.
    bool WaitQuietly();
    bool TakeInput();
    void SendBack();

    int fd_;
    RtlModel& model_;
    UartLine line_;
    uint32_t clockHz_;
    peer::Interrupt& interrupt_;
    bool txPin_ = true;
    uint64_t bytesBack_ = 0;
};

} // namespace tessary::rtl
