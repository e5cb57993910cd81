#include "FlashLayout.h"

#include <algorithm>
#include <cctype>

namespace tessary::board {
namespace {

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

} // namespace

std::span<const uint32_t> FlashBlockSizes(FlashLayout layout) {
    return GeometryOf(layout).blockSizes;
}

uint32_t FlashLayoutSize(FlashLayout layout) {
    return GeometryOf(layout).flashSize;
}

std::optional<FlashLayout> ParseFlashLayout(std::string_view text) {
    for (const FlashLayout layout : FlashChips()) {
        if (EqualsIgnoringCase(text, FlashLayoutName(layout))) {
            return layout;
        }
    }
    return std::nullopt;
}

std::string_view FlashLayoutName(FlashLayout layout) {
    return GeometryOf(layout).name;
}

std::vector<std::string> FlashLayoutNames() {
    std::vector<std::string> names;
    for (const FlashLayout layout : FlashChips()) {
        names.emplace_back(FlashLayoutName(layout));
    }
    return names;
}

std::string FlashLayoutChoices() {
    const std::vector<std::string> names = FlashLayoutNames();
    std::string text;
    for (size_t i = 0; i < names.size(); ++i) {
        text += i == 0 ? "" : i + 1 == names.size() ? " or " : ", ";
        text += names[i];
    }
    return text;
}

} // namespace tessary::board
