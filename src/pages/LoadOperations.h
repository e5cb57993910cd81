#pragma once

#include "FlashErase.h"
#include "LoadForm.h"

namespace tessary {

class MessageSink;
class StatusSink;

// Loads the request's file slice into the board's RAM. Progress and the outcome go to the status
// sink ("Loading block: %d", then "RAM load complete. Total bytes transferred: %d" or
// "RAM load error"), failures to the message sink. Progress counts bytes. Returns true when the
// load succeeded (the completion text was shown).
bool LoadRamOperation(const LoadRequest& request, StatusSink& status, MessageSink& messages);

// Programs the request's file slice into the Flash: the range must lie inside the Flash of the
// current configuration; with auto erase the blocks the range overlaps are erased first; each
// verify read follows a return to read-array mode. Returns true when the load succeeded.
bool LoadFlashOperation(const LoadRequest& request, StatusSink& status, MessageSink& messages,
                        const FlashWait& wait = {});

} // namespace tessary
