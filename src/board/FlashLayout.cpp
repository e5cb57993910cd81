#include "FlashLayout.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <numeric>

namespace tessary::board {
namespace {

constexpr uint32_t K = 1024;

constexpr std::array<uint32_t, 7> k512KBlocks{128 * K, 128 * K, 128 * K, 96 * K,
                                              8 * K,   8 * K,   16 * K};
constexpr std::array<uint32_t, 11> k1MBlocks{128 * K, 128 * K, 128 * K, 128 * K, 128 * K, 128 * K,
                                             128 * K, 96 * K,  8 * K,   8 * K,   16 * K};

template <size_t N> constexpr std::array<uint32_t, N> UniformBlocks() {
    std::array<uint32_t, N> blocks{};
    blocks.fill(128 * K);
    return blocks;
}

constexpr auto k4MBlocks = UniformBlocks<32>();
constexpr auto k16MBlocks = UniformBlocks<128>();

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

} // namespace

std::span<const uint32_t> FlashBlockSizes(FlashLayout layout) {
    switch (layout) {
    case FlashLayout::k1M:
        return k1MBlocks;
    case FlashLayout::k4M:
        return k4MBlocks;
    case FlashLayout::k16M:
        return k16MBlocks;
    case FlashLayout::k512K:
        break;
    }
    return k512KBlocks;
}

uint32_t FlashLayoutSize(FlashLayout layout) {
    const auto sizes = FlashBlockSizes(layout);
    return std::accumulate(sizes.begin(), sizes.end(), uint32_t{0});
}

std::optional<FlashLayout> ParseFlashLayout(std::string_view text) {
    for (FlashLayout layout :
         {FlashLayout::k512K, FlashLayout::k1M, FlashLayout::k4M, FlashLayout::k16M}) {
        if (EqualsIgnoringCase(text, FlashLayoutName(layout))) {
            return layout;
        }
    }
    return std::nullopt;
}

std::string_view FlashLayoutName(FlashLayout layout) {
    switch (layout) {
    case FlashLayout::k1M:
        return "1m";
    case FlashLayout::k4M:
        return "4m";
    case FlashLayout::k16M:
        return "16m";
    case FlashLayout::k512K:
        break;
    }
    return "512k";
}

} // namespace tessary::board
