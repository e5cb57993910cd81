// The hint for a mistyped command or option: the known name closest to what was typed.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tessary::cli {

// The name of `known` nearest to `typed` (edits, swapped neighbours), when it is near enough to
// be what was meant: at most two edits, and fewer than half of the typed text.
std::optional<std::string> ClosestName(const std::string& typed,
                                       const std::vector<std::string>& known);

// "Did you mean ...?" for the first word of the command line that is neither a known command nor
// a known option (the text of an option's value is skipped); empty when there is none.
std::string SuggestFor(const std::vector<std::string>& arguments,
                       const std::vector<std::string>& commands,
                       const std::vector<std::string>& options);

} // namespace tessary::cli
