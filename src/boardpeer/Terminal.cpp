#include "Terminal.h"

#include "TtyConfig.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

namespace tessary::peer {

namespace {

bool Failed(std::string* error, const std::string& what) {
    *error = what + ": " + std::strerror(errno);
    return false;
}

} // namespace

Terminal::~Terminal() {
    if (slaveHold_ >= 0) {
        close(slaveHold_);
    }
    if (fd_ >= 0) {
        close(fd_);
    }
}

bool Terminal::OpenPseudoTerminal(std::string* error) {
    fd_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0 || grantpt(fd_) != 0 || unlockpt(fd_) != 0) {
        return Failed(error, "cannot create a pseudo-terminal");
    }
    char name[128] = {};
    if (ptsname_r(fd_, name, sizeof(name)) != 0) {
        return Failed(error, "cannot name the pseudo-terminal");
    }
    path_ = name;
    slaveHold_ = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (slaveHold_ < 0 || !ConfigureTty(slaveHold_)) {
        return Failed(error, path_);
    }
    return true;
}

bool Terminal::OpenTty(const std::string& path, uint32_t baud, std::string* error) {
    path_ = path;
    fd_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0 || !ConfigureTty(fd_, baud)) {
        return Failed(error, path);
    }
    return true;
}

} // namespace tessary::peer
