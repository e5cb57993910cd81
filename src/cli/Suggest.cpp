#include "Suggest.h"

#include <algorithm>
#include <numeric>

namespace tessary::cli {
namespace {

// Optimal string alignment distance: insertions, deletions, substitutions, adjacent swaps.
size_t Distance(const std::string& a, const std::string& b) {
    std::vector<std::vector<size_t>> d(a.size() + 1, std::vector<size_t>(b.size() + 1));
    for (size_t i = 0; i <= a.size(); ++i) {
        d[i][0] = i;
    }
    std::iota(d[0].begin(), d[0].end(), size_t{0});
    for (size_t i = 1; i <= a.size(); ++i) {
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t cost = a[i - 1] == b[j - 1] ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
            }
        }
    }
    return d[a.size()][b.size()];
}

bool Contains(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

std::string DidYouMean(const std::string& typed, const std::string& what,
                       const std::vector<std::string>& known) {
    const std::optional<std::string> near = ClosestName(typed, known);
    if (!near) {
        return {};
    }
    return "Unknown " + what + " '" + typed + "'; did you mean '" + *near + "'?";
}

} // namespace

std::optional<std::string> ClosestName(const std::string& typed,
                                       const std::vector<std::string>& known) {
    std::optional<std::string> best;
    size_t bestDistance = 0;
    for (const std::string& name : known) {
        const size_t distance = Distance(typed, name);
        if (!best || distance < bestDistance) {
            best = name;
            bestDistance = distance;
        }
    }
    if (!best || bestDistance == 0 || bestDistance > 2 || bestDistance * 2 >= typed.size()) {
        return std::nullopt;
    }
    return best;
}

std::string SuggestFor(const std::vector<std::string>& arguments,
                       const std::vector<std::string>& commands,
                       const std::vector<std::string>& options) {
    bool haveCommand = false;
    for (const std::string& argument : arguments) {
        if (argument.rfind("--", 0) == 0 && argument.size() > 2) {
            const std::string name = argument.substr(0, argument.find('='));
            if (!Contains(options, name)) {
                return DidYouMean(name, "option", options);
            }
        } else if (!haveCommand && !argument.empty() && argument[0] != '-') {
            if (Contains(commands, argument)) {
                haveCommand = true;
            } else if (std::string hint = DidYouMean(argument, "command", commands);
                       !hint.empty()) {
                return hint;
            }
        }
    }
    return {};
}

} // namespace tessary::cli
