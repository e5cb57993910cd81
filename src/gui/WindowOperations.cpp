#include "WindowOperations.h"

#include "AppContext.h"
#include "MainWindow.h"

namespace tessary {

// Pages exist only inside the main window, so it is there whenever one of their buttons is used.
bool RunInWindow(OperationRunner::Work work, MessageSink& messages) {
    return gApp->mainWindow->Runner().Start(std::move(work), messages);
}

} // namespace tessary
