#include "BlockMatch.h"

#include "Crc32.h"
#include "FlashGeometry.h"
#include "MemoryController.h"

#include <algorithm>
#include <vector>

namespace tessary {
namespace {

// A part of a block that a range covers: where it lies on the board and in its range.
struct Covered {
    uint32_t address;
    LoadSpan span;
};

std::vector<Covered> CoveredParts(const std::vector<LoadRange>& ranges, uint32_t start,
                                  uint32_t end) {
    std::vector<Covered> parts;
    for (std::size_t index = 0; index < ranges.size(); ++index) {
        const int64_t from = std::max<int64_t>(ranges[index].address, start);
        const int64_t to = std::min<int64_t>(ranges[index].address + ranges[index].length, end);
        if (from < to) {
            parts.push_back(
                {static_cast<uint32_t>(from), {index, from - ranges[index].address, to - from}});
        }
    }
    return parts;
}

// Adds the source's bytes of a span to the CRC, a transfer block at a time.
bool AddSpan(LoadSource& source, const LoadSpan& span, Crc32& crc) {
    std::vector<uint8_t> piece(
        static_cast<std::size_t>(std::min<int64_t>(span.length, TransferBlockSize)));
    for (int64_t done = 0; done < span.length;) {
        const auto count =
            static_cast<int32_t>(std::min<int64_t>(span.length - done, piece.size()));
        if (!source.Read(span.index, span.offset + done, piece.data(), count)) {
            return false;
        }
        crc.Add(piece.data(), static_cast<std::size_t>(count));
        done += count;
    }
    return true;
}

} // namespace

bool BlockHoldsImage(MemoryController& controller, int32_t configuration, int32_t index,
                     LoadSource& source, bool preserve, bool& matches) {
    const uint32_t start = BlockAddress(configuration, index);
    const uint32_t size = BlockSize(configuration, index);
    const std::vector<Covered> parts = CoveredParts(source.Ranges(), start, start + size);
    matches = false;
    if (preserve) {
        for (const Covered& part : parts) {
            Crc32 expected;
            uint32_t crc = 0;
            if (!AddSpan(source, part.span, expected) ||
                !controller.ChecksumFlash(part.address, static_cast<int32_t>(part.span.length),
                                          crc)) {
                return false;
            }
            if (crc != expected.Value()) {
                return true;
            }
        }
        matches = true;
        return true;
    }
    Crc32 expected;
    uint32_t at = start;
    for (const Covered& part : parts) {
        expected.AddRepeated(0xFF, part.address - at);
        if (!AddSpan(source, part.span, expected)) {
            return false;
        }
        at = part.address + static_cast<uint32_t>(part.span.length);
    }
    expected.AddRepeated(0xFF, start + size - at);
    uint32_t crc = 0;
    if (!controller.ChecksumFlash(start, static_cast<int32_t>(size), crc)) {
        return false;
    }
    matches = crc == expected.Value();
    return true;
}

} // namespace tessary
