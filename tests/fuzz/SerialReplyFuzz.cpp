// Reply frames from a board or a noisy line: the frame check and every way the port takes a
// reply's payload apart. Nothing may be read or written outside the buffers (the sanitizers
// watch), and delivered data is exactly the payload's.
#include "FrameCodec.h"
#include "ReplyDecode.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

using namespace tessary;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) {
        return 0;
    }
    // The first byte picks the count asked for; the rest is the frame as it came off the line.
    const int32_t count = data[0] % 64;
    const uint8_t* frameBytes = data + 1;
    const size_t frameSize = size - 1;
    if (frameSize < static_cast<size_t>(frameBytes[0]) + frame::kOverhead) {
        return 0; // a cut frame never reaches the check: the line reports it as cut short
    }
    if (reply::CheckFrame(frameBytes, frame::kReplyCapacity) != 0) {
        return 0;
    }
    // A frame that passed fits the capacity and adds up.
    const int length = frameBytes[0];
    if (length > frame::kReplyCapacity ||
        frame::Checksum(frameBytes + 1, length) != frameBytes[1 + length]) {
        std::abort();
    }
    // The port's buffer: the payload and room to spare, as SerialPort has it.
    uint8_t payload[frame::kBufferSize] = {};
    std::memcpy(payload, frameBytes + 1, static_cast<size_t>(length));

    std::vector<uint8_t> values(static_cast<size_t>(count));
    if (reply::TakeRepeatValues(payload, length, count, values.data()) == 0 &&
        (length - 1 < count || std::memcmp(values.data(), payload + 1, values.size()) != 0)) {
        std::abort();
    }
    std::vector<RegisterPair> pairs(static_cast<size_t>(count % 33));
    (void)reply::TakeSetPairs(payload, length, static_cast<int32_t>(pairs.size()), pairs.data());
    uint8_t value = 0;
    (void)reply::TakeRegister(payload, length, value);
    std::vector<char> text(static_cast<size_t>(count));
    if (reply::TakeIdentity(payload, length, count, text.data()) == 0 && count > 0 &&
        std::strlen(text.data()) >= static_cast<size_t>(count)) {
        std::abort();
    }
    uint32_t crc = 0;
    if (reply::TakeChecksum(payload, length, crc) == 0 &&
        (length < 5 || crc != (payload[1] | payload[2] << 8 | payload[3] << 16 |
                               static_cast<uint32_t>(payload[4]) << 24))) {
        std::abort();
    }
    (void)reply::CheckCode(payload, length, 0x85);
    return 0;
}
