#include "MainWindowStatus.h"

#include "AppContext.h"
#include "MainWindow.h"

namespace tessary {

// Pages exist only inside the main window, so it is there whenever one of their buttons is used.
StatusSink& MainWindowStatus() {
    return *gApp->mainWindow;
}

} // namespace tessary
