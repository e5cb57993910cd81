#pragma once

#include "OperationRunner.h"

namespace tessary {

// Starts the work on the main window's worker thread: its status texts and progress go to the
// window's status bar, its messages to messages (the page's boxes). While it runs the window's
// action buttons and tab bar are disabled, so no click waits to be replayed after it. False when
// an operation is running already (nothing happens then).
bool RunInWindow(OperationRunner::Work work, MessageSink& messages);

} // namespace tessary
