#include "ReplyDecode.h"

#include "FrameCodec.h"

#include <algorithm>
#include <cstring>

namespace tessary::reply {

int32_t CheckFrame(const uint8_t* frameBytes, int capacity) {
    const int size = frameBytes[0];
    if (size > capacity) {
        return kErrReplyTooLong;
    }
    if (frame::Checksum(frameBytes + 1, size) != frameBytes[1 + size]) {
        return kErrBadChecksum;
    }
    return 0;
}

int32_t CheckCode(const uint8_t* payload, int length, uint8_t expected) {
    return length >= 1 && payload[0] == expected ? 0 : kErrWrongReply;
}

int32_t TakeIdentity(const uint8_t* payload, int length, int capacity, char* text) {
    if (capacity > 0) {
        const int size = std::max(0, std::min(length - 1, capacity - 1));
        std::memcpy(text, payload + 1, static_cast<size_t>(size));
        text[size] = '\0';
    }
    return 0;
}

int32_t TakeRegister(const uint8_t* payload, int length, uint8_t& value) {
    if (length < 3) {
        return kErrReplyCutShort;
    }
    value = payload[2];
    return 0;
}

int32_t TakeChecksum(const uint8_t* payload, int length, uint32_t& crc) {
    if (length < 5) {
        return kErrReplyCutShort;
    }
    crc = static_cast<uint32_t>(payload[1]) | static_cast<uint32_t>(payload[2]) << 8 |
          static_cast<uint32_t>(payload[3]) << 16 | static_cast<uint32_t>(payload[4]) << 24;
    return 0;
}

int32_t TakeRepeatValues(const uint8_t* payload, int length, int32_t count, uint8_t* data) {
    if (count < 0 || length - 1 < count) {
        return kErrReplyCutShort;
    }
    std::memcpy(data, payload + 1, static_cast<size_t>(count));
    return 0;
}

int32_t TakeSetPairs(const uint8_t* payload, int length, int32_t count, RegisterPair* pairs) {
    if (count < 0 || length - 1 < 2 * count) {
        return kErrReplyCutShort;
    }
    std::memcpy(pairs, payload + 1, sizeof(RegisterPair) * static_cast<size_t>(count));
    return 0;
}

} // namespace tessary::reply
