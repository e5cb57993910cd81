#include "LibraryPaths.h"

#include <cstdlib>

namespace tessary::lnkutil {
namespace {

// $xdgVariable/lnkutil/leaf, or $HOME/homeFallback/lnkutil/leaf.
std::string XdgPath(const char* xdgVariable, const char* homeFallback, const char* leaf) {
    const char* xdg = std::getenv(xdgVariable);
    std::string base;
    if (xdg != nullptr && xdg[0] != '\0') {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        if (home == nullptr || home[0] == '\0') {
            return {};
        }
        base = std::string(home) + "/" + homeFallback;
    }
    return base + "/lnkutil" + leaf;
}

} // namespace

std::string DeviceTablePath() {
    if (const char* path = std::getenv("LNKUTIL_DEVICES")) {
        return path;
    }
    return XdgPath("XDG_CONFIG_HOME", ".config", "/devices.conf");
}

bool DeviceTableNamedByUser() {
    const char* path = std::getenv("LNKUTIL_DEVICES");
    return path != nullptr && path[0] != '\0';
}

std::string DataDirectory() {
    if (const char* dir = std::getenv("LNKUTIL_DATA_DIR")) {
        return dir;
    }
    return XdgPath("XDG_DATA_HOME", ".local/share", "");
}

} // namespace tessary::lnkutil
