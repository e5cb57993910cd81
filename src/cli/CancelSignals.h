#pragma once

#include "Cancel.h"

namespace tessary::cli {

// While it lives, SIGINT, SIGTERM, SIGHUP and SIGQUIT cancel the token instead of ending the
// process, so that the running operation stops at its next frame, block or erase poll and leaves
// the board and the files as a cancel leaves them. A second signal of the same kind ends the
// process the usual way (for an operation that does not stop). The previous handlers come back
// when it is destroyed. One at a time.
class CancelOnSignals {
  public:
    explicit CancelOnSignals(CancelToken& token);
    ~CancelOnSignals();
    CancelOnSignals(const CancelOnSignals&) = delete;
    CancelOnSignals& operator=(const CancelOnSignals&) = delete;

    // The signal that cancelled the token; 0 while none has arrived.
    static int Received();
};

} // namespace tessary::cli
