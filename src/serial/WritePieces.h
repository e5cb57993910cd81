#pragma once

#include <cstdint>

// How a repeated write to a board that fills on its side (x=f) is cut into requests: a run of one
// value of at least kMinFillRun bytes goes as fill requests of at most kMaxFill bytes each, what
// lies between runs as data frames. A board without the fill gets data frames only.
namespace tessary::protocol {

// Shorter runs gain little or nothing: a fill request is 8 line bytes, its reply 3, and it splits
// the data frame around it in two.
inline constexpr int32_t kMinFillRun = 16;
// A Flash programs a fill byte by byte before the board answers: 4096 bytes keep that well inside
// a reply's allowance.
inline constexpr int32_t kMaxFill = 4096;

struct WritePiece {
    int32_t size;
    // True: `size` copies of the piece's first byte, one fill request.
    bool fill;
};

// The piece that starts at `data` (`count` bytes left, at least 1): a fill of the run there when
// it is long enough, else the data up to the next such run, at most `dataLimit` bytes.
WritePiece NextWritePiece(const uint8_t* data, int32_t count, int32_t dataLimit);

} // namespace tessary::protocol
