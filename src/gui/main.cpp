#include "Application.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

namespace {

// Qt picks its window-system plugin from these; with none of them set there is nothing to show
// the window on, and Qt would end with a long plugin error.
bool DisplayAvailable() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char* argv[]) {
    if (!DisplayAvailable()) {
        std::fprintf(stderr,
                     "tessary: cannot start: no display (DISPLAY and WAYLAND_DISPLAY are "
                     "unset); run it under a virtual one, e.g. xvfb-run -a %s\n",
                     argv[0]);
        return -1;
    }
    QApplication application(argc, argv);
    return tessary::RunTessary();
}
