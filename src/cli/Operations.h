#pragma once

#include "Cancel.h"
#include "LoadOperations.h"
#include "Request.h"
#include "Session.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace tessary {
class MessageSink;
class StatusSink;
} // namespace tessary

namespace tessary::cli {

// How a prepared operation ended. Refused: it found its input could not be right before it
// contacted the board (a load's range past the memory, a file that does not hold its slice), and
// said why.
enum class RunResult { Succeeded, Failed, Refused };

// What an operation found out besides its result, for --json.
struct RunFacts {
    // A Flash load that compared its blocks with the image: how many already matched.
    std::optional<MatchedBlocks> matched;
};

// A validated operation, ready to run against the selected board.
using PreparedOperation = std::function<RunResult(const Session&, StatusSink&, MessageSink&,
                                                  const CancelToken&, RunFacts&)>;

// Checks the request with the checks of the operation's page (the same messages) and the command
// line's own, and binds it to the page's operation. Empty after a failed check, which has been
// reported. The session's memory configuration must be applied first (the Flash limit and the
// block table depend on it).
PreparedOperation PrepareOperation(const Request& request, const Session& session,
                                   MessageSink& messages);

// The blocks --blocks lists (all blocks of the configuration without it); nothing, reported,
// when the list is not one or names a block the configuration does not have.
std::optional<std::vector<int32_t>> SelectBlocks(const Request& request, const Session& session,
                                                 MessageSink& messages);

} // namespace tessary::cli
