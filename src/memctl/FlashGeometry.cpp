#include "FlashGeometry.h"

#include "MemoryConfigurations.h"

namespace tessary {

const FlashGeometry& LayoutFor(int32_t configuration) {
    return FlashOf(ConfigurationOfValue(configuration));
}

int32_t BlockCount(int32_t configuration) {
    return static_cast<int32_t>(LayoutFor(configuration).blockStarts.size());
}

uint32_t BlockAddress(int32_t configuration, int32_t index) {
    return LayoutFor(configuration).blockStarts[index];
}

uint32_t BlockSize(int32_t configuration, int32_t index) {
    return LayoutFor(configuration).blockSizes[index];
}

uint32_t FlashSize(int32_t configuration) {
    return LayoutFor(configuration).flashSize;
}

int32_t BlockContaining(int32_t configuration, uint32_t address) {
    const auto starts = LayoutFor(configuration).blockStarts;
    int32_t index = 0;
    while (index + 1 < static_cast<int32_t>(starts.size()) && starts[index + 1] <= address) {
        ++index;
    }
    return index;
}

} // namespace tessary
