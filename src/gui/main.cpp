#include "AppContext.h"
#include "AppIcon.h"
#include "Application.h"
#include "Version.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>

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

// --version and --help answer without a display; every other argument goes to Qt.
bool AnsweredFromTheCommandLine(int argc, char* argv[]) {
    for (int index = 1; index < argc; ++index) {
        const char* argument = argv[index];
        if (std::strcmp(argument, "--version") == 0 || std::strcmp(argument, "-V") == 0) {
            std::printf("tessary %s\n", tessary::version::kProductVersion);
            return true;
        }
        if (std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0) {
            std::printf("Usage: tessary [--verify MODE] [Qt options]\n"
                        "The desktop program: moves data between files and the RAM and Flash "
                        "of a board's memory controller.\n"
                        "  -h, --help     this text\n"
                        "  -V, --version  the version\n"
                        "  --verify MODE  how the loads verify: auto (the board's checksum where "
                        "it offers one, else read-back; the default) or readback (every block "
                        "read back)\n"
                        "See tessary(1), tessary-cli(1) for the same operations in a shell.\n");
            return true;
        }
    }
    return false;
}

// Takes --verify MODE (or --verify=MODE) out of the arguments, which then go to Qt; false, said on
// stderr, for a mode that is not auto or readback.
bool TakeVerifyMode(int& argc, char* argv[]) {
    for (int index = 1; index < argc; ++index) {
        const char* argument = argv[index];
        const char* mode = nullptr;
        int taken = 1;
        if (std::strncmp(argument, "--verify=", 9) == 0) {
            mode = argument + 9;
        } else if (std::strcmp(argument, "--verify") == 0) {
            mode = index + 1 < argc ? argv[index + 1] : "";
            taken = index + 1 < argc ? 2 : 1;
        } else {
            continue;
        }
        if (strcasecmp(mode, "readback") != 0 && strcasecmp(mode, "auto") != 0) {
            std::fprintf(stderr, "tessary: --verify takes auto or readback, not '%s'\n", mode);
            return false;
        }
        tessary::VerifyByReadBack = strcasecmp(mode, "readback") == 0;
        for (int rest = index + taken; rest <= argc; ++rest) {
            argv[rest - taken] = argv[rest]; // argv[argc] is the terminating null
        }
        argc -= taken;
        --index;
    }
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    if (AnsweredFromTheCommandLine(argc, argv)) {
        return 0;
    }
    if (!TakeVerifyMode(argc, argv)) {
        return 2;
    }
    if (!DisplayAvailable()) {
        std::fprintf(stderr,
                     "tessary: cannot start: no display (DISPLAY and WAYLAND_DISPLAY are "
                     "unset); run it under a virtual one, e.g. xvfb-run -a %s\n",
                     argv[0]);
        return -1;
    }
    QApplication application(argc, argv);
    tessary::ApplyAppIdentity(application);
    return tessary::RunTessary();
}
