#include "FramedAccess.h"

#include "SerialPort.h"

#include <algorithm>

namespace tessary {

namespace {

// Issues `piece(offset, size)` for consecutive pieces of at most `limit` of `count` items, then
// takes the replies still due (also of requests issued before the call). A cancel stops the issuing
// between pieces; the replies of the pieces already sent are still taken, so the line is left
// clean.
template <typename Piece>
bool InPieces(SerialPort& port, int32_t count, int32_t limit, const CancelToken& cancel,
              Piece piece) {
    // A negative count goes to the port, which refuses it; requests issued before are still taken.
    bool issued = count >= 0 || piece(0, count);
    for (int32_t done = 0; done < count && issued;) {
        if (done > 0 && cancel.Cancelled()) {
            issued = false;
            break;
        }
        const int32_t size = std::min(limit, count - done);
        issued = piece(done, size);
        done += size;
    }
    const bool completed = port.Complete();
    return issued && completed;
}

} // namespace

bool PutRegRepeatInFrames(SerialPort& port, int32_t count, uint8_t address, const uint8_t* data,
                          const CancelToken& cancel) {
    return InPieces(port, count, port.Limits().repeatWrite, cancel,
                    [&](int32_t offset, int32_t size) {
                        return port.IssuePutRegRepeat(size, address, data + offset);
                    });
}

bool GetRegRepeatInFrames(SerialPort& port, int32_t count, uint8_t address, uint8_t* data,
                          const CancelToken& cancel) {
    return InPieces(port, count, port.Limits().repeatRead, cancel,
                    [&](int32_t offset, int32_t size) {
                        return port.IssueGetRegRepeat(size, address, data + offset);
                    });
}

bool PutRegSetInFrames(SerialPort& port, int32_t count, const RegisterPair* pairs,
                       const CancelToken& cancel) {
    return InPieces(port, count, port.Limits().setPairs, cancel, [&](int32_t offset, int32_t size) {
        return port.IssuePutRegSet(size, pairs + offset);
    });
}

bool GetRegSetInFrames(SerialPort& port, int32_t count, RegisterPair* pairs,
                       const CancelToken& cancel) {
    return InPieces(port, count, port.Limits().setPairs, cancel, [&](int32_t offset, int32_t size) {
        return port.IssueGetRegSet(size, pairs + offset);
    });
}

bool PutRegRepeatReadBackInFrames(SerialPort& port, int32_t count, uint8_t reg, const uint8_t* data,
                                  uint8_t* readBack,
                                  const std::function<int32_t(int32_t, RegisterPair*)>& rewind,
                                  const CancelToken& cancel) {
    const protocol::FrameLimits limits = port.Limits();
    return InPieces(port, count, std::min(limits.repeatWrite, limits.repeatRead), cancel,
                    [&](int32_t offset, int32_t size) {
                        if (size < 0) {
                            return port.IssuePutRegRepeat(size, reg, data);
                        }
                        RegisterPair pairs[kMaxRewindPairs];
                        const int32_t listed = rewind(offset, pairs);
                        return port.IssuePutRegRepeat(size, reg, data + offset) &&
                               port.IssuePutRegSet(listed, pairs) &&
                               port.IssueGetRegRepeat(size, reg, readBack + offset);
                    });
}

} // namespace tessary
