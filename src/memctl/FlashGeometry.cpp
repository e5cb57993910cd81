#include "FlashGeometry.h"

#include <array>

namespace tessary {
namespace {

constexpr std::array<uint32_t, 7> k512KStarts = {0x00000, 0x20000, 0x40000, 0x60000,
                                                 0x78000, 0x7A000, 0x7C000};
constexpr std::array<const char*, 7> k512KLabels = {
    "00000h - 128K Main Block", "20000h - 128K Main Block",    "40000h - 128K Main Block",
    "60000h - 96K Main Block",  "78000h - 8K Parameter Block", "7A000h - 8K Parameter Block",
    "7C000h - 16K Boot Block",
};

constexpr std::array<uint32_t, 11> k1024KStarts = {0x00000, 0x20000, 0x40000, 0x60000,
                                                   0x80000, 0xA0000, 0xC0000, 0xE0000,
                                                   0xF8000, 0xFA000, 0xFC000};
constexpr std::array<const char*, 11> k1024KLabels = {
    "00000h - 128K Main Block",    "20000h - 128K Main Block",      "40000h - 128K Main Block",
    "60000h - 128K Main Block",    "80000h - 128K Parameter Block", "A0000h - 128K Parameter Block",
    "C0000h - 128K Boot Block",    "E0000h - 96K Main Block",       "F8000h - 8K Parameter Block",
    "FA000h - 8K Parameter Block", "FC000h - 16K Boot Block",
};

constexpr std::array<uint32_t, 128> kStep128KStarts = [] {
    std::array<uint32_t, 128> starts{};
    for (uint32_t i = 0; i < starts.size(); ++i) {
        starts[i] = i * 0x20000;
    }
    return starts;
}();

const FlashLayout k512K{k512KStarts, 0x80000, k512KLabels};
const FlashLayout k1024K{k1024KStarts, 0x100000, k1024KLabels};
const FlashLayout kParvel4M{std::span<const uint32_t>(kStep128KStarts).first(32), 0x400000, {}};
const FlashLayout kParvel16M{kStep128KStarts, 0x1000000, {}};

} // namespace

const FlashLayout& LayoutFor(int32_t configuration) {
    switch (configuration) {
    case 3:
        return k1024K;
    case 5:
        return kParvel4M;
    case 6:
        return kParvel16M;
    default:
        return k512K;
    }
}

int32_t BlockCount(int32_t configuration) {
    return static_cast<int32_t>(LayoutFor(configuration).blockStarts.size());
}

uint32_t BlockAddress(int32_t configuration, int32_t index) {
    return LayoutFor(configuration).blockStarts[index];
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
