#include "LoadSource.h"

#include <algorithm>

namespace tessary {

int64_t TotalLength(const std::vector<LoadRange>& ranges) {
    int64_t total = 0;
    for (const LoadRange& range : ranges) {
        total += range.length;
    }
    return total;
}

std::vector<LoadSpan> SpansOutside(const std::vector<LoadRange>& ranges,
                                   const std::vector<LoadRange>& cut) {
    std::vector<LoadSpan> spans;
    for (std::size_t index = 0; index < ranges.size(); ++index) {
        const int64_t start = ranges[index].address;
        const int64_t end = start + ranges[index].length;
        int64_t from = start;
        for (const LoadRange& gap : cut) {
            const int64_t gapStart = std::max<int64_t>(gap.address, from);
            const int64_t gapEnd = std::min<int64_t>(gap.address + gap.length, end);
            if (gapStart >= gapEnd) {
                continue;
            }
            if (gapStart > from) {
                spans.push_back({index, from - start, gapStart - from});
            }
            from = gapEnd;
        }
        if (end > from) {
            spans.push_back({index, from - start, end - from});
        }
    }
    return spans;
}

} // namespace tessary
