#pragma once

namespace tessary {

class StatusSink;

// Where the operations of every page report progress and outcome: the main window's status bar.
StatusSink& MainWindowStatus();

} // namespace tessary
