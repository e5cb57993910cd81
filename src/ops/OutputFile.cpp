#include "OutputFile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessary {
namespace {

bool WriteAll(int fd, const uint8_t* data, std::size_t count) {
    while (count > 0) {
        const ssize_t done = ::write(fd, data, count);
        if (done < 0 && errno == EINTR) {
            continue;
        }
        if (done <= 0) {
            return false;
        }
        data += done;
        count -= static_cast<std::size_t>(done);
    }
    return true;
}

// Copies what is left of from into to, inside the kernel where the file systems allow it,
// otherwise through scratch.
bool CopyRest(int from, int to, uint8_t* scratch, std::size_t scratchSize) {
    for (;;) {
        const ssize_t done = ::copy_file_range(from, nullptr, to, nullptr, 1 << 30, 0);
        if (done == 0) {
            return true;
        }
        if (done > 0 || errno == EINTR) {
            continue;
        }
        if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP) {
            return false;
        }
        break;
    }
    for (;;) {
        const ssize_t got = ::read(from, scratch, scratchSize);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return got == 0;
        }
        if (!WriteAll(to, scratch, static_cast<std::size_t>(got))) {
            return false;
        }
    }
}

std::string DirectoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a path names, symbolic links followed, so that replacing it keeps the links.
std::string RealPath(const std::string& path) {
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

} // namespace

OutputFile::~OutputFile() {
    if (kind_ != Kind::None) {
        Abandon();
    }
}

bool OutputFile::Open(const std::string& path, OutputMode mode, int32_t offset, uint8_t* scratch,
                      std::size_t scratchSize) {
    struct stat info {};
    const bool exists = ::stat(path.c_str(), &info) == 0;
    if (!exists && errno != ENOENT) {
        return false;
    }
    if (exists && S_ISDIR(info.st_mode)) {
        return false;
    }
    const off_t position = offset < 0 ? 0 : offset;

    if (exists && !S_ISREG(info.st_mode)) {
        fd_ = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd_ < 0) {
            return false;
        }
        if (mode == OutputMode::Overwrite) {
            ::lseek(fd_, position, SEEK_SET); // a pipe or terminal has no position to set
        }
        kind_ = Kind::Direct;
        return true;
    }

    if (mode == OutputMode::Append) {
        fd_ = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
        if (fd_ < 0) {
            return false;
        }
        target_ = path;
        oldLength_ = exists ? info.st_size : 0;
        kind_ = Kind::Appended;
        return true;
    }

    const std::string target = exists ? RealPath(path) : path;
    if (!OpenTemporary(target, exists && mode == OutputMode::Overwrite, scratch, scratchSize)) {
        return false;
    }
    if (exists) {
        ::fchmod(fd_, info.st_mode & 07777);
    }
    if (mode == OutputMode::Overwrite && ::lseek(fd_, position, SEEK_SET) < 0) {
        Abandon();
        return false;
    }
    return true;
}

bool OutputFile::OpenTemporary(const std::string& target, bool keepContents, uint8_t* scratch,
                               std::size_t scratchSize) {
    // The old file must be one the user may change, as it would be for writing it in place.
    int old = -1;
    if (keepContents) {
        old = ::open(target.c_str(), O_RDWR | O_CLOEXEC);
        if (old < 0) {
            return false;
        }
    } else if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0 && errno != ENOENT) {
        return false;
    }

    static unsigned counter = 0;
    const std::string prefix =
        DirectoryOf(target) + "/.tessary-" + std::to_string(::getpid()) + "-";
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        temporary_ = prefix + std::to_string(counter++) + ".tmp";
        fd_ = ::open(temporary_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST) {
            break;
        }
    }
    if (fd_ < 0) {
        if (old >= 0) {
            ::close(old);
        }
        return false;
    }
    target_ = target;
    kind_ = Kind::Temporary;
    if (old >= 0) {
        const bool copied = CopyRest(old, fd_, scratch, scratchSize);
        ::close(old);
        if (!copied) {
            Abandon();
            return false;
        }
    }
    return true;
}

bool OutputFile::Write(const uint8_t* data, std::size_t count) {
    return WriteAll(fd_, data, count);
}

bool OutputFile::CloseFile() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
}

bool OutputFile::Commit() {
    const Kind kind = kind_;
    kind_ = Kind::None;
    switch (kind) {
    case Kind::Temporary: {
        const bool flushed = ::fsync(fd_) == 0;
        if (!CloseFile() || !flushed || ::rename(temporary_.c_str(), target_.c_str()) != 0) {
            ::unlink(temporary_.c_str());
            return false;
        }
        const int directory = ::open(DirectoryOf(target_).c_str(), O_RDONLY | O_CLOEXEC);
        if (directory >= 0) {
            ::fsync(directory);
            ::close(directory);
        }
        return true;
    }
    case Kind::Appended:
        if (!CloseFile()) {
            ::truncate(target_.c_str(), oldLength_);
            return false;
        }
        return true;
    case Kind::Direct:
        return CloseFile();
    case Kind::None:
        break;
    }
    return false;
}

void OutputFile::Abandon() {
    switch (kind_) {
    case Kind::Temporary:
        CloseFile();
        ::unlink(temporary_.c_str());
        break;
    case Kind::Appended:
        ::ftruncate(fd_, oldLength_);
        CloseFile();
        break;
    case Kind::Direct:
        CloseFile();
        break;
    case Kind::None:
        break;
    }
    kind_ = Kind::None;
}

} // namespace tessary
