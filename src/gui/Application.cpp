#include "Application.h"

#include "AppContext.h"
#include "MainWindow.h"
#include "lnkutil.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>
#include <new>

namespace tessary {

Application::Application() = default;

Application::~Application() {
    Shutdown();
}

bool Application::Start() {
    context_.reset(new (std::nothrow) AppContext);
    if (!context_) {
        QMessageBox::critical(nullptr, QStringLiteral("Error"),
                              QStringLiteral("Out of memory on application start"));
        return false;
    }
    gApp = context_.get();
    if (!gApp->Init()) {
        std::fputs("tessary: cannot start: the device-access library did not initialise (LnkInit "
                   "failed)\n",
                   stderr);
        context_.reset();
        gApp = nullptr;
        return false;
    }
    window_ = MainWindow::Create();
    gApp->mainWindow = window_.get();
    window_->show();
    gMainWindow = window_.get();
    return true;
}

void Application::Shutdown() {
    if (!window_) {
        return;
    }
    window_->DestroyPages();
    LnkTerm();
    gMainWindow = nullptr;
    context_.reset();
    gApp = nullptr;
    window_.reset();
}

int RunTessary() {
    Application application;
    if (!application.Start()) {
        return -1;
    }
    const int exitCode = QApplication::exec();
    application.Shutdown();
    return exitCode;
}

} // namespace tessary
