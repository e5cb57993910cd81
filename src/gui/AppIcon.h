// The program's icon (res/icons, drawn for Tessary) and its name on the desktop, so that the
// window, the task bar and the installed desktop entry show the same picture.
#pragma once

class QApplication;

namespace tessary {

inline constexpr const char* kDesktopFileName = "io.github.tessary.Tessary";

// Sets the window icon of every window and the desktop entry's name.
void ApplyAppIdentity(QApplication& application);

} // namespace tessary
