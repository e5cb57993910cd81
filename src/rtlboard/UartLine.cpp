#include "UartLine.h"

namespace tessary::rtl {

bool UartLine::Step(bool txPin) {
    // Receiving: the middle of the start bit, then every `div_` cycles.
    if (!receiving_) {
        if (!txPin) {
            receiving_ = true;
            receiveCount_ = div_ / 2;
            receiveBit_ = 0;
        }
    } else if (--receiveCount_ == 0) {
        receiveCount_ = div_;
        if (receiveBit_ == 0) {
            receiving_ = !txPin;
            receiveBit_ = 1;
        } else if (receiveBit_ <= 8) {
            receiveByte_ = static_cast<uint8_t>((receiveByte_ >> 1) | (txPin ? 0x80 : 0));
            ++receiveBit_;
        } else {
            receiving_ = false;
            if (txPin) {
                received_.push_back(receiveByte_);
            }
        }
    }

    // Sending.
    if (sendBit_ < 0) {
        if (pending_.empty()) {
            return true;
        }
        sendByte_ = static_cast<uint16_t>(0x200 | (pending_.front() << 1));
        pending_.pop_front();
        sendBit_ = 0;
        sendCount_ = div_;
    }
    const bool level = ((sendByte_ >> sendBit_) & 1) != 0;
    if (--sendCount_ == 0) {
        sendCount_ = div_;
        if (++sendBit_ == 10) {
            sendBit_ = -1;
            ++bytesSent_;
        }
    }
    return level;
}

} // namespace tessary::rtl
