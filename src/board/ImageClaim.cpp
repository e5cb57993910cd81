#include "ImageClaim.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace tessary::board {
namespace {

// The process holding the record lock beside the flock, as " by process N", or nothing.
std::string Holder(int fd) {
    struct flock record {};
    record.l_type = F_WRLCK;
    record.l_whence = SEEK_SET;
    if (fcntl(fd, F_GETLK, &record) == 0 && record.l_type != F_UNLCK && record.l_pid > 0) {
        return " by process " + std::to_string(record.l_pid);
    }
    return {};
}

} // namespace

ImageClaim::~ImageClaim() {
    Release();
}

bool ImageClaim::Claim(const std::vector<std::string>& paths, std::string* error) {
    Release();
    for (const std::string& path : paths) {
        if (path.empty()) {
            continue;
        }
        const int fd = open(path.c_str(), O_RDWR | O_CLOEXEC);
        if (fd < 0) {
            *error = "cannot open " + path + ": " + std::strerror(errno);
            Release();
            return false;
        }
        // flock keeps out every other open of the file. The record lock beside it is there only
        // so that a process turned away can tell who holds the board.
        if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
            *error = "busy: " + path + " is in use" + Holder(fd) +
                     "; one program at a time may use a simulated board";
            close(fd);
            Release();
            return false;
        }
        struct flock record {};
        record.l_type = F_WRLCK;
        record.l_whence = SEEK_SET;
        (void)fcntl(fd, F_SETLK, &record);
        fds_.push_back(fd);
    }
    return true;
}

void ImageClaim::Release() {
    for (const int fd : fds_) {
        close(fd);
    }
    fds_.clear();
}

} // namespace tessary::board
