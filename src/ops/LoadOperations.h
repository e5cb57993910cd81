#pragma once

#include "Cancel.h"
#include "FlashErase.h"
#include "LoadForm.h"
#include "Session.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tessary {

class MessageSink;
class StatusSink;

// How a load ended.
enum class LoadResult {
    Loaded,
    Failed, // or cancelled
    // Before the board was contacted: the range does not fit the memory, or the file does not
    // hold the slice asked for. Nothing was written or erased.
    Refused,
};

// How many of the erase blocks a Flash load touches already held what it would leave in them, and
// so were neither erased nor programmed.
struct MatchedBlocks {
    int32_t matched = 0;
    int32_t blocks = 0;
};

struct LoadOutcome {
    LoadResult result = LoadResult::Failed;
    // A Flash load that skipped unchanged blocks (auto erase, skipping on, a board that computes
    // checksums): how many matched.
    std::optional<MatchedBlocks> matched;
    // Why the file's slice was refused (the offset past its end, the file shorter than offset +
    // length), naming the file. The page shows it as the cause of an access error; the command
    // line prints it. Every other refusal was shown as a message.
    std::string fileProblem;
};

// Loads the request's file slice into the board's RAM. Progress and the outcome go to the status
// sink ("Loading block: %d", then "RAM load complete. Total bytes transferred: %d" or
// "RAM load error"), failures to the message sink. Progress counts bytes. A range past the RAM of
// the session's configuration is refused before the board is contacted, as is a slice the file
// does not hold: the slice is read whole before anything is written. A cancel ends it with
// "Operation cancelled.".
LoadOutcome RunLoadRam(const Session& session, const LoadRequest& request, StatusSink& status,
                       MessageSink& messages, const CancelToken& cancel = CancelToken::Never());

// Programs the request's file slice into the Flash: the range must lie inside the Flash of the
// session's configuration; with auto erase the blocks the range overlaps are erased first (with
// skipUnchanged, on a board that computes checksums, only those that do not already hold what the
// load would leave in them; the completion text then ends "(M of K blocks already matched)" and
// counts the bytes programmed); each
// verify read follows a return to read-array mode, and so does a cancel. A cancel before an
// erase leaves that block as it was; one during the erase of a block whose other bytes are kept
// lets them be programmed back first, and the final status text then says which blocks were
// erased and that their other bytes are back.
LoadOutcome RunLoadFlash(const Session& session, const LoadRequest& request, StatusSink& status,
                         MessageSink& messages, const CancelToken& cancel = CancelToken::Never(),
                         const FlashWait& wait = {});

// The same as the pages run them, the file's problem shown as a message; true when the load
// succeeded (the completion text was shown).
bool LoadRamOperation(const Session& session, const LoadRequest& request, StatusSink& status,
                      MessageSink& messages, const CancelToken& cancel = CancelToken::Never());
bool LoadFlashOperation(const Session& session, const LoadRequest& request, StatusSink& status,
                        MessageSink& messages, const CancelToken& cancel = CancelToken::Never(),
                        const FlashWait& wait = {});

} // namespace tessary
