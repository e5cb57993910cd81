#include "InputFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessary {

InputFile::~InputFile() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

bool InputFile::Open(const std::string& path) {
    // Not waiting in open for the writer of a pipe that has none; reads then wait as usual (and
    // a pipe without a writer reads as an empty file).
    fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) {
        return false;
    }
    if (::fcntl(fd_, F_SETFL, 0) != 0) {
        ::close(fd_);
        fd_ = -1;
        return false;
    }
    struct stat info {};
    if (::fstat(fd_, &info) != 0 || S_ISDIR(info.st_mode)) {
        ::close(fd_);
        fd_ = -1;
        return false;
    }
    return true;
}

bool InputFile::Size(int64_t& size) {
    const off_t end = ::lseek(fd_, 0, SEEK_END);
    if (end < 0 || ::lseek(fd_, 0, SEEK_SET) < 0) {
        return false;
    }
    size = end;
    return true;
}

bool InputFile::Seek(int64_t offset) {
    return ::lseek(fd_, offset, SEEK_SET) >= 0;
}

int32_t InputFile::Read(uint8_t* buffer, int32_t count) {
    int32_t done = 0;
    while (done < count) {
        const ssize_t got = ::read(fd_, buffer + done, static_cast<size_t>(count - done));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        done += static_cast<int32_t>(got);
    }
    return done;
}

} // namespace tessary
