#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tessary {

// A run of bytes a load writes at consecutive board addresses.
struct LoadRange {
    uint32_t address = 0;
    int64_t length = 0;
};

// A part of range `index` of a load: `length` bytes from `offset` on.
struct LoadSpan {
    std::size_t index = 0;
    int64_t offset = 0;
    int64_t length = 0;
};

// The bytes a load writes: its ranges (ascending, apart), read piece by piece.
class LoadSource {
  public:
    virtual ~LoadSource() = default;
    virtual const std::vector<LoadRange>& Ranges() const = 0;
    // The next count bytes of range index, from offset on; false when they cannot be had (a file
    // shorter than it said).
    virtual bool Read(std::size_t index, int64_t offset, uint8_t* data, int32_t count) = 0;
};

// The bytes of all ranges together.
int64_t TotalLength(const std::vector<LoadRange>& ranges);

// The parts of the ranges that lie outside every span of `cut` (address spans, ascending, apart),
// in order; each range whole when nothing is cut.
std::vector<LoadSpan> SpansOutside(const std::vector<LoadRange>& ranges,
                                   const std::vector<LoadRange>& cut);

} // namespace tessary
