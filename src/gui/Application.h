#pragma once

#include <memory>

namespace tessary {

class AppContext;
class MainWindow;

// The desktop program's life around its event loop: start-up builds the application object,
// the device-access library and the main window; shutdown takes them down in a fixed order.
class Application {
  public:
    Application();
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // The application object (gApp), the library (LnkInit, interface type, device "COM1") and the
    // shown main window (gMainWindow). False, with one line on stderr saying what failed and
    // nothing left standing, when the program cannot start.
    bool Start();
    // An operation still running cancelled and waited for; every page released and destroyed,
    // then LnkTerm, then the application object, then the window. A second call does nothing.
    void Shutdown();

  private:
    std::unique_ptr<AppContext> context_;
    std::unique_ptr<MainWindow> window_;
};

// Runs the desktop program in the QApplication that exists: 0 after the window has been
// closed, -1 when the program cannot start.
int RunTessary();

} // namespace tessary
