#include "FlashChips.h"

#include <array>
#include <numeric>
#include <string_view>

namespace tessary {
namespace {

constexpr uint32_t K = 1024;

template <size_t N>
constexpr std::array<uint32_t, N> StartsOf(const std::array<uint32_t, N>& sizes) {
    std::array<uint32_t, N> starts{};
    std::exclusive_scan(sizes.begin(), sizes.end(), starts.begin(), uint32_t{0});
    return starts;
}

template <size_t N> constexpr uint32_t SizeOf(const std::array<uint32_t, N>& sizes) {
    return std::accumulate(sizes.begin(), sizes.end(), uint32_t{0});
}

template <size_t N> constexpr std::array<uint32_t, N> UniformBlocks() {
    std::array<uint32_t, N> blocks{};
    blocks.fill(128 * K);
    return blocks;
}

constexpr std::array<uint32_t, 7> k512KSizes{128 * K, 128 * K, 128 * K, 96 * K,
                                             8 * K,   8 * K,   16 * K};
constexpr std::array<uint32_t, 11> k1MSizes{128 * K, 128 * K, 128 * K, 128 * K, 128 * K, 128 * K,
                                            128 * K, 96 * K,  8 * K,   8 * K,   16 * K};
constexpr auto k4MSizes = UniformBlocks<32>();
constexpr auto k16MSizes = UniformBlocks<128>();

constexpr auto k512KStarts = StartsOf(k512KSizes);
constexpr auto k1MStarts = StartsOf(k1MSizes);
constexpr auto k4MStarts = StartsOf(k4MSizes);
constexpr auto k16MStarts = StartsOf(k16MSizes);

constexpr std::array<const char*, 7> k512KLabels = {
    "00000h - 128K Main Block", "20000h - 128K Main Block",    "40000h - 128K Main Block",
    "60000h - 96K Main Block",  "78000h - 8K Parameter Block", "7A000h - 8K Parameter Block",
    "7C000h - 16K Boot Block",
};
constexpr std::array<const char*, 11> k1MLabels = {
    "00000h - 128K Main Block",    "20000h - 128K Main Block",      "40000h - 128K Main Block",
    "60000h - 128K Main Block",    "80000h - 128K Parameter Block", "A0000h - 128K Parameter Block",
    "C0000h - 128K Boot Block",    "E0000h - 96K Main Block",       "F8000h - 8K Parameter Block",
    "FA000h - 8K Parameter Block", "FC000h - 16K Boot Block",
};

constexpr std::array<FlashGeometry, 4> kGeometries = {{
    {"512k", "512K", k512KSizes, k512KStarts, SizeOf(k512KSizes), k512KLabels},
    {"1m", "1024K", k1MSizes, k1MStarts, SizeOf(k1MSizes), k1MLabels},
    {"4m", "4 MB", k4MSizes, k4MStarts, SizeOf(k4MSizes), {}},
    {"16m", "16 MB", k16MSizes, k16MStarts, SizeOf(k16MSizes), {}},
}};

static_assert(std::string_view(kGeometries[static_cast<size_t>(kDefaultFlashChip)].name) ==
              kDefaultFlashLayout);

constexpr std::array kChips = {FlashChip::k512K, FlashChip::k1M, FlashChip::k4M, FlashChip::k16M};

} // namespace

const FlashGeometry& GeometryOf(FlashChip chip) {
    return kGeometries[static_cast<size_t>(chip)];
}

std::span<const FlashChip> FlashChips() {
    return kChips;
}

} // namespace tessary
