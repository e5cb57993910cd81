#include "BlockList.h"

#include <algorithm>
#include <charconv>

namespace tessary::cli {
namespace {

// More indexes than any Flash table has; keeps a range such as 0-2000000000 from filling memory.
constexpr int32_t kLargestIndex = 4095;

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::optional<int32_t> ParseIndex(std::string_view text) {
    text = Trim(text);
    int32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || value < 0 || value > kLargestIndex) {
        return std::nullopt;
    }
    return value;
}

} // namespace

std::optional<std::vector<int32_t>> ParseBlockList(std::string_view text) {
    std::vector<int32_t> indexes;
    for (;;) {
        const auto comma = text.find(',');
        const std::string_view item = text.substr(0, comma);
        const auto dash = item.find('-');
        const std::optional<int32_t> first = ParseIndex(item.substr(0, dash));
        const std::optional<int32_t> last =
            dash == std::string_view::npos ? first : ParseIndex(item.substr(dash + 1));
        if (!first || !last || *last < *first) {
            return std::nullopt;
        }
        for (int32_t index = *first; index <= *last; ++index) {
            indexes.push_back(index);
        }
        if (comma == std::string_view::npos) {
            break;
        }
        text.remove_prefix(comma + 1);
    }
    std::sort(indexes.begin(), indexes.end());
    indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
    return indexes;
}

} // namespace tessary::cli
