#include "FramedAccess.h"

#include "SerialProtocol.h"

#include <algorithm>

namespace tessary {

namespace {

// Calls `piece(offset, size)` for consecutive pieces of at most `limit` of `count` items.
template <typename Piece>
bool InPieces(int32_t count, int32_t limit, const CancelToken& cancel, Piece piece) {
    if (count < 0) {
        return piece(0, count);
    }
    for (int32_t done = 0; done < count;) {
        if (done > 0 && cancel.Cancelled()) {
            return false;
        }
        const int32_t size = std::min(limit, count - done);
        if (!piece(done, size)) {
            return false;
        }
        done += size;
    }
    return true;
}

} // namespace

bool PutRegRepeatInFrames(RegisterPort& port, int32_t count, uint8_t address, const uint8_t* data,
                          const CancelToken& cancel) {
    return InPieces(count, protocol::kMaxRepeatWrite, cancel, [&](int32_t offset, int32_t size) {
        return port.PutRegRepeat(size, address, data + offset);
    });
}

bool GetRegRepeatInFrames(RegisterPort& port, int32_t count, uint8_t address, uint8_t* data,
                          const CancelToken& cancel) {
    return InPieces(count, protocol::kMaxRepeatRead, cancel, [&](int32_t offset, int32_t size) {
        return port.GetRegRepeat(size, address, data + offset);
    });
}

bool PutRegSetInFrames(RegisterPort& port, int32_t count, const RegisterPair* pairs,
                       const CancelToken& cancel) {
    return InPieces(count, protocol::kMaxSetPairs, cancel, [&](int32_t offset, int32_t size) {
        return port.PutRegSet(size, pairs + offset);
    });
}

bool GetRegSetInFrames(RegisterPort& port, int32_t count, RegisterPair* pairs,
                       const CancelToken& cancel) {
    return InPieces(count, protocol::kMaxSetPairs, cancel, [&](int32_t offset, int32_t size) {
        return port.GetRegSet(size, pairs + offset);
    });
}

} // namespace tessary
