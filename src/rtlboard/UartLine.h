// The far end of the controller's UART pins, one clock cycle at a time: bytes for the controller
// go out bit by bit on its receive pin, and its transmit pin is sampled back into bytes, both at
// `div` clock cycles a bit (8 data bits, no parity, 1 stop bit).
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

namespace tessary::rtl {

class UartLine {
  public:
    explicit UartLine(uint32_t div) : div_(div) {}

    void Queue(const uint8_t* bytes, size_t count) {
        pending_.insert(pending_.end(), bytes, bytes + count);
    }
    // One clock cycle: the level for the controller's receive pin, and the controller's
    // transmit pin sampled.
    bool Step(bool txPin);
    // Bytes the controller sent, taken out.
    std::vector<uint8_t>& Received() { return received_; }
    // Nothing to send, nothing on its way in.
    bool Quiet() const { return pending_.empty() && sendBit_ < 0 && !receiving_; }
    uint64_t BytesSent() const { return bytesSent_; }

  private:
    uint32_t div_;
    std::deque<uint8_t> pending_;
    int sendBit_ = -1; // -1 idle, 0 start bit, 1..8 data bits, 9 stop bit
    uint32_t sendCount_ = 0;
    uint16_t sendByte_ = 0;
    bool receiving_ = false;
    uint32_t receiveCount_ = 0;
    int receiveBit_ = 0;
    uint8_t receiveByte_ = 0;
    std::vector<uint8_t> received_;
    uint64_t bytesSent_ = 0;
};

} // namespace tessary::rtl
