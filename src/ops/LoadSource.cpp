#include "LoadSource.h"

namespace tessary {

int64_t TotalLength(const std::vector<LoadRange>& ranges) {
    int64_t total = 0;
    for (const LoadRange& range : ranges) {
        total += range.length;
    }
    return total;
}

} // namespace tessary
