#include "BlockList.h"

#include <charconv>
#include <optional>

namespace tessary::cli {
namespace {

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// A decimal index; nothing for anything else (a sign, other characters, beyond 32 bits).
std::optional<int32_t> ParseIndex(std::string_view text) {
    text = Trim(text);
    int32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || value < 0) {
        return std::nullopt;
    }
    return value;
}

BlockList Failed(BlockList::Problem problem, int32_t index = -1) {
    BlockList list;
    list.problem = problem;
    list.pastTheTable = index;
    return list;
}

} // namespace

BlockList ParseBlockList(std::string_view text, int32_t blockCount) {
    std::vector<bool> chosen(static_cast<size_t>(blockCount > 0 ? blockCount : 0));
    for (;;) {
        const auto comma = text.find(',');
        const std::string_view item = text.substr(0, comma);
        const auto dash = item.find('-');
        const std::optional<int32_t> first = ParseIndex(item.substr(0, dash));
        const std::optional<int32_t> last =
            dash == std::string_view::npos ? first : ParseIndex(item.substr(dash + 1));
        if (!first || !last || *last < *first) {
            return Failed(BlockList::Problem::NotAList);
        }
        if (*first >= blockCount || *last >= blockCount) {
            return Failed(BlockList::Problem::PastTheTable,
                          *first >= blockCount ? *first : blockCount);
        }
        for (int32_t index = *first; index <= *last; ++index) {
            chosen[static_cast<size_t>(index)] = true;
        }
        if (comma == std::string_view::npos) {
            break;
        }
        text.remove_prefix(comma + 1);
    }
    BlockList list;
    for (size_t index = 0; index < chosen.size(); ++index) {
        if (chosen[index]) {
            list.indexes.push_back(static_cast<int32_t>(index));
        }
    }
    return list;
}

} // namespace tessary::cli
