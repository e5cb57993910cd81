#include "FramedAccess.h"

#include "SerialPort.h"
#include "WritePieces.h"

#include <algorithm>

namespace tessary {

namespace {

// Issues `piece(offset, size, watch)` for consecutive pieces of `count` items, each as long as
// `next(offset)` says, then takes the replies still due (also of requests issued before the call).
// A cancel stops the issuing between pieces and ends the port's waits for replies (`watch`); the
// replies of the pieces already sent are taken while they keep coming. An access begun after the
// cancel (one frame that cleans up) waits for its reply as ever.
template <typename Next, typename Piece>
bool InPiecesOf(SerialPort& port, int32_t count, Next next, const CancelToken& cancel,
                Piece piece) {
    const CancelToken& watch = cancel.Cancelled() ? CancelToken::Never() : cancel;
    // A negative count goes to the port, which refuses it; requests issued before are still taken.
    bool issued = count >= 0 || piece(0, count, watch);
    for (int32_t done = 0; done < count && issued;) {
        if (done > 0 && cancel.Cancelled()) {
            issued = false;
            break;
        }
        const int32_t size = next(done);
        issued = piece(done, size, watch);
        done += size;
    }
    const bool completed = port.Complete(watch);
    return issued && completed;
}

// Pieces of at most `limit` items.
template <typename Piece>
bool InPieces(SerialPort& port, int32_t count, int32_t limit, const CancelToken& cancel,
              Piece piece) {
    return InPiecesOf(
        port, count, [&](int32_t done) { return std::min(limit, count - done); }, cancel, piece);
}

} // namespace

bool PutRegRepeatInFrames(SerialPort& port, int32_t count, uint8_t address, const uint8_t* data,
                          const CancelToken& cancel) {
    return InPieces(port, count, port.Limits().repeatWrite, cancel,
                    [&](int32_t offset, int32_t size, const CancelToken& watch) {
                        return port.IssuePutRegRepeat(size, address, data + offset, watch);
                    });
}

bool PutRegRepeatFilledInFrames(SerialPort& port, int32_t count, uint8_t address,
                                const uint8_t* data, const CancelToken& cancel) {
    const int32_t limit = port.Limits().repeatWrite;
    // The piece `next` planned, which `piece` then issues (a negative count plans none).
    protocol::WritePiece planned{count, false};
    return InPiecesOf(
        port, count,
        [&](int32_t done) {
            planned = protocol::NextWritePiece(data + done, count - done, limit);
            return planned.size;
        },
        cancel,
        [&](int32_t offset, int32_t size, const CancelToken& watch) {
            return planned.fill ? port.IssueFill(size, address, data[offset], watch)
                                : port.IssuePutRegRepeat(size, address, data + offset, watch);
        });
}

bool GetRegRepeatInFrames(SerialPort& port, int32_t count, uint8_t address, uint8_t* data,
                          const CancelToken& cancel) {
    return InPieces(port, count, port.Limits().repeatRead, cancel,
                    [&](int32_t offset, int32_t size, const CancelToken& watch) {
                        return port.IssueGetRegRepeat(size, address, data + offset, watch);
                    });
}

bool GetRegRepeatInRuns(SerialPort& port, int32_t count, uint8_t address, uint8_t* data,
                        const CancelToken& cancel) {
    if (count <= 0) {
        return GetRegRepeatInFrames(port, count, address, data, cancel);
    }
    const CancelToken& watch = cancel.Cancelled() ? CancelToken::Never() : cancel;
    int32_t done = 0;
    for (;;) {
        // One at a time: where the next request starts depends on what this reply stands for.
        const int32_t asked = std::min(count - done, protocol::kMaxBoardCount);
        SerialPort::RunsRead read;
        if (!port.ReadRuns(asked, address, data + done, read, watch)) {
            return false;
        }
        done += read.covered;
        if (done == count) {
            return true;
        }
        if (cancel.Cancelled()) {
            return false;
        }
        if (read.covered < 2 * read.replyBytes) {
            break; // data without long runs: the window of compact reads carries it faster
        }
    }
    return GetRegRepeatInFrames(port, count - done, address, data + done, cancel);
}

bool PutRegSetInFrames(SerialPort& port, int32_t count, const RegisterPair* pairs,
                       const CancelToken& cancel) {
    return InPieces(port, count, port.Limits().setPairs, cancel,
                    [&](int32_t offset, int32_t size, const CancelToken& watch) {
                        return port.IssuePutRegSet(size, pairs + offset, watch);
                    });
}

bool GetRegSetInFrames(SerialPort& port, int32_t count, RegisterPair* pairs,
                       const CancelToken& cancel) {
    return InPieces(port, count, port.Limits().setPairs, cancel,
                    [&](int32_t offset, int32_t size, const CancelToken& watch) {
                        return port.IssueGetRegSet(size, pairs + offset, watch);
                    });
}

bool PutRegRepeatReadBackInFrames(SerialPort& port, int32_t count, uint8_t reg, const uint8_t* data,
                                  uint8_t* readBack, const RewindList& rewind,
                                  const CancelToken& cancel) {
    const protocol::FrameLimits limits = port.Limits();
    return InPieces(port, count, std::min(limits.repeatWrite, limits.repeatRead), cancel,
                    [&](int32_t offset, int32_t size, const CancelToken& watch) {
                        if (size < 0) {
                            return port.IssuePutRegRepeat(size, reg, data, watch);
                        }
                        RegisterPair pairs[kMaxRewindPairs];
                        const int32_t listed = rewind(offset, pairs);
                        return port.IssuePutRegRepeat(size, reg, data + offset, watch) &&
                               port.IssuePutRegSet(listed, pairs, watch) &&
                               port.IssueGetRegRepeat(size, reg, readBack + offset, watch);
                    });
}

} // namespace tessary
