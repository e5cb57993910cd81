#include "FrameCodec.h"

#include <cstring>

namespace tessary::frame {

uint8_t Checksum(const uint8_t* payload, int length) {
    unsigned sum = static_cast<unsigned>(length);
    for (int i = 0; i < length; ++i) {
        sum += payload[i];
    }
    return static_cast<uint8_t>(0u - sum);
}

int Encode(const uint8_t* payload, int length, uint8_t* out) {
    out[0] = static_cast<uint8_t>(length);
    if (length > 0) {
        std::memcpy(out + 1, payload, static_cast<size_t>(length));
    }
    out[1 + length] = Checksum(payload, length);
    return length + kOverhead;
}

} // namespace tessary::frame
