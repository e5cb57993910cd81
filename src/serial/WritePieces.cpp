#include "WritePieces.h"

#include <algorithm>

namespace tessary::protocol {

namespace {

// How many bytes from `data` on (at most `count`) equal the first.
int32_t RunAt(const uint8_t* data, int32_t count) {
    int32_t run = 1;
    while (run < count && data[run] == data[0]) {
        ++run;
    }
    return run;
}

} // namespace

WritePiece NextWritePiece(const uint8_t* data, int32_t count, int32_t dataLimit) {
    if (const int32_t run = RunAt(data, std::min(count, kMaxFill)); run >= kMinFillRun) {
        return {run, true};
    }
    // Data up to where a long enough run starts: runs are maximal, so none inside the piece is.
    int32_t size = 0;
    while (size < count && size < dataLimit) {
        const int32_t run = RunAt(data + size, std::min(count - size, kMinFillRun));
        if (run >= kMinFillRun) {
            break;
        }
        size += run;
    }
    return {std::min(size, dataLimit), false};
}

} // namespace tessary::protocol
