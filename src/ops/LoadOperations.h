#pragma once

#include "Cancel.h"
#include "FlashErase.h"
#include "LoadForm.h"
#include "Session.h"

namespace tessary {

class MessageSink;
class StatusSink;

// Loads the request's file slice into the board's RAM. Progress and the outcome go to the status
// sink ("Loading block: %d", then "RAM load complete. Total bytes transferred: %d" or
// "RAM load error"), failures to the message sink. Progress counts bytes. Returns true when the
// load succeeded (the completion text was shown). A cancel ends it with "Operation cancelled.".
bool LoadRamOperation(const Session& session, const LoadRequest& request, StatusSink& status,
                      MessageSink& messages, const CancelToken& cancel = CancelToken::Never());

// Programs the request's file slice into the Flash: the range must lie inside the Flash of the
// session's configuration; with auto erase the blocks the range overlaps are erased first; each
// verify read follows a return to read-array mode, and so does a cancel. Returns true when the
// load succeeded.
bool LoadFlashOperation(const Session& session, const LoadRequest& request, StatusSink& status,
                        MessageSink& messages, const CancelToken& cancel = CancelToken::Never(),
                        const FlashWait& wait = {});

} // namespace tessary
