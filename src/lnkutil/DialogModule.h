// The device configuration dialog needs Qt Widgets, so it is a module of its own that
// ZmgrStartConfigureDevices loads only when it is called: the library itself, and every program
// that only wants register access, stays free of Qt.
#pragma once

namespace tessary::lnkutil {

// What the dialog module's entry reports.
enum class DialogOutcome : int {
    Unavailable = 0, // no running QApplication, or no table file to edit: nothing shown
    Closed = 1,      // shown and closed without saving
    Saved = 2,       // the table file was written; the library reads it again
};

// The module's one exported function: runs the dialog modal to `owner` (a QWidget of the
// caller's, or null) on the table file at `tablePath` (may be empty: there is none).
using DialogEntry = int (*)(void* owner, const char* tablePath);
inline constexpr const char* kDialogEntryName = "LnkRunDeviceDialog";

// The module's place, relative to the folder that holds liblnkutil.
inline constexpr const char* kDialogModulePath = "lnkutil/liblnkutil-dialog.so";

} // namespace tessary::lnkutil
