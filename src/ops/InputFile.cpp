#include "InputFile.h"

#include "FileCause.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace tessary {

InputFile::~InputFile() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

bool InputFile::Fail(const char* action, int error) {
    cause_ = FileCause(action, path_, error);
    return false;
}

bool InputFile::Open(const std::string& path) {
    path_ = path;
    // Not waiting in open for the writer of a pipe that has none; reads then wait as usual (and
    // a pipe without a writer reads as an empty file).
    fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) {
        return Fail("open", errno);
    }
    struct stat info {};
    int error = 0;
    if (::fcntl(fd_, F_SETFL, 0) != 0 || ::fstat(fd_, &info) != 0) {
        error = errno;
    } else if (S_ISDIR(info.st_mode)) {
        error = EISDIR;
    }
    if (error != 0) {
        ::close(fd_);
        fd_ = -1;
        return Fail("open", error);
    }
    if (S_ISREG(info.st_mode)) {
        return true;
    }
    // A pipe (a named one, a shell's <(...)) or a device cannot be positioned: it is read whole
    // now, at most kStreamLimit bytes, and then read like a file.
    auto bytes = std::make_shared<std::string>();
    const bool read = ReadAll(*bytes);
    ::close(fd_);
    fd_ = -1;
    if (!read) {
        return false;
    }
    if (bytes->size() > kStreamLimit) {
        return Fail("read", EFBIG);
    }
    OpenBytes(std::move(bytes));
    return true;
}

void InputFile::OpenBytes(std::shared_ptr<const std::string> bytes) {
    bytes_ = std::move(bytes);
    position_ = 0;
}

bool InputFile::Size(int64_t& size) {
    if (bytes_) {
        size = static_cast<int64_t>(bytes_->size());
        return true;
    }
    const off_t end = ::lseek(fd_, 0, SEEK_END);
    if (end < 0 || ::lseek(fd_, 0, SEEK_SET) < 0) {
        return Fail("find the size of", errno);
    }
    size = end;
    return true;
}

bool InputFile::Seek(int64_t offset) {
    if (bytes_) {
        position_ = offset;
        return offset >= 0;
    }
    return ::lseek(fd_, offset, SEEK_SET) >= 0 || Fail("position in", errno);
}

int32_t InputFile::Read(uint8_t* buffer, int32_t count) {
    if (bytes_) {
        const auto size = static_cast<int64_t>(bytes_->size());
        const auto done =
            static_cast<int32_t>(std::clamp<int64_t>(size - position_, 0, std::max(count, 0)));
        std::memcpy(buffer, bytes_->data() + std::min(position_, size), static_cast<size_t>(done));
        position_ += done;
        return done;
    }
    int32_t done = 0;
    while (done < count) {
        const ssize_t got = ::read(fd_, buffer + done, static_cast<size_t>(count - done));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            readFailed_ = got < 0;
            if (readFailed_) {
                Fail("read", errno);
            }
            break;
        }
        done += static_cast<int32_t>(got);
    }
    return done;
}

bool InputFile::ReadAll(std::string& text) {
    if (bytes_) {
        const auto size = static_cast<int64_t>(bytes_->size());
        text.assign(*bytes_, static_cast<size_t>(std::clamp<int64_t>(position_, 0, size)));
        position_ = size;
        return true;
    }
    // A file's size is known: one allocation and one read take it whole. A pipe grows the text
    // as it comes, doubling.
    struct stat info {};
    const off_t here = ::lseek(fd_, 0, SEEK_CUR);
    std::size_t capacity = 1 << 16;
    if (::fstat(fd_, &info) == 0 && S_ISREG(info.st_mode) && here >= 0 && info.st_size > here) {
        capacity = static_cast<std::size_t>(info.st_size - here) + 1;
    }
    text.resize(capacity);
    std::size_t used = 0;
    for (;;) {
        if (used == text.size()) {
            if (used > kStreamLimit) {
                text.resize(used);
                return true; // more than any load takes; the caller refuses it
            }
            text.resize(2 * text.size());
        }
        const ssize_t got = ::read(fd_, text.data() + used, text.size() - used);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            const int error = errno;
            text.resize(used);
            return Fail("read", error);
        }
        if (got == 0) {
            text.resize(used);
            return true;
        }
        used += static_cast<std::size_t>(got);
    }
}

} // namespace tessary
