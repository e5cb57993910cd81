// Run-length reply bodies from a board or a noisy line, and the board's encoder. The decoder
// reads nothing past the body and writes nothing past its room (the sanitizers watch), and what
// it accepts stands for 1 to room bytes; the encoder's body never exceeds its capacity and decodes
// to exactly the bytes it read.
#include "RunLength.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

using namespace tessary;

namespace {

// `bytes` fed to an encoder of `capacity` as a board feeds what it reads: one at a time while
// it has room. Its body must decode to exactly the bytes it took; how many it took.
size_t RoundTrip(const uint8_t* bytes, size_t size, size_t capacity) {
    protocol::RunEncoder encoder(capacity);
    size_t taken = 0;
    while (taken < size && encoder.Room()) {
        encoder.Add(bytes[taken++]);
    }
    const std::vector<uint8_t>& body = encoder.Body();
    if (encoder.Covered() != taken || body.size() > capacity ||
        (taken < size && body.size() + 2 <= capacity)) {
        std::abort();
    }
    if (taken == 0) {
        return 0;
    }
    std::vector<uint8_t> out(taken);
    if (protocol::DecodeRuns(body.data(), static_cast<int>(body.size()), out.data(),
                             static_cast<int32_t>(out.size())) != static_cast<int32_t>(taken) ||
        std::memcmp(out.data(), bytes, taken) != 0) {
        std::abort();
    }
    return taken;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) {
        return 0;
    }
    // The first byte picks the room: of the decoder's output (8 bytes a step, up to 2040) and of
    // the encoder's body (a reply's items, up to 255 bytes).
    const size_t room = data[0];
    const uint8_t* body = data + 1;
    const int length = static_cast<int>(size - 1);

    // Exactly `room * 8` bytes, so that a write past them is caught.
    std::vector<uint8_t> out(room * 8);
    const int32_t produced =
        protocol::DecodeRuns(body, length, out.data(), static_cast<int32_t>(out.size()));
    if (produced == 0 || produced < -1 || produced > static_cast<int32_t>(out.size())) {
        std::abort();
    }
    if (produced > 0) {
        // What a body stands for codes again, whole in room enough for any body (two bytes an
        // item at most, each item one byte or more), to itself.
        const auto count = static_cast<size_t>(produced);
        if (RoundTrip(out.data(), count, 2 * count + 2) != count) {
            std::abort();
        }
    }
    RoundTrip(body, static_cast<size_t>(length), room);
    return 0;
}
