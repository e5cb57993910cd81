#include "OutputFile.h"

#include "FileCause.h"
#include "FormFields.h"
#include "QuoteText.h"
#include "StaleTemporaries.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessary {
namespace {

// The writers leave errno telling why they failed.
bool WriteAll(int fd, const uint8_t* data, std::size_t count) {
    while (count > 0) {
        const ssize_t done = ::write(fd, data, count);
        if (done < 0 && errno == EINTR) {
            continue;
        }
        if (done == 0) {
            errno = EIO;
        }
        if (done <= 0) {
            return false;
        }
        data += done;
        count -= static_cast<std::size_t>(done);
    }
    return true;
}

bool WriteAllAt(int fd, const uint8_t* data, std::size_t count, off_t position) {
    while (count > 0) {
        const ssize_t done = ::pwrite(fd, data, count, position);
        if (done < 0 && errno == EINTR) {
            continue;
        }
        if (done == 0) {
            errno = EIO;
        }
        if (done <= 0) {
            return false;
        }
        data += done;
        position += done;
        count -= static_cast<std::size_t>(done);
    }
    return true;
}

// Copies the whole of `from` into `to`, inside the kernel where the file systems allow it,
// otherwise through scratch.
bool CopyWhole(int from, int to, uint8_t* scratch, std::size_t scratchSize) {
    if (::lseek(from, 0, SEEK_SET) < 0) {
        return false;
    }
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

// Reserves the disk space for `count` bytes at `position` without changing the file's size, so
// that a full disk or a file-size limit fails here, before a byte of the file has changed. File
// systems that cannot reserve are written without.
bool Reserve(int fd, off_t position, std::size_t count) {
    if (count == 0) {
        return true;
    }
    rlimit limit{};
    if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
        static_cast<rlim_t>(position) + count > limit.rlim_cur) {
        errno = EFBIG;
        return false;
    }
    if (::fallocate(fd, FALLOC_FL_KEEP_SIZE, position, static_cast<off_t>(count)) == 0) {
        return true;
    }
    return errno == EOPNOTSUPP || errno == ENOSYS;
}

std::string DirectoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Whether renaming a new file into the target's place would change nothing a user notices
// besides the contents: one name, our owner and group, a directory we may write.
bool RenameIsHarmless(const std::string& path, const struct stat& info) {
    return info.st_nlink == 1 && info.st_uid == ::geteuid() && info.st_gid == ::getegid() &&
           ::faccessat(AT_FDCWD, DirectoryOf(path).c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

// Opens and locks an existing regular target. Busy when another store holds it; retries when the
// name was given to another file meanwhile (a store renamed its result into place). A failure
// leaves the step that failed in action and errno in error.
OutputFile::Opened LockExisting(const std::string& path, int& fd, struct stat& info,
                                const char*& action, int& error) {
    for (int attempt = 0; attempt < 10; ++attempt) {
        fd = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            action = "open";
            error = errno;
            return OutputFile::Opened::Failed;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            action = "lock";
            error = errno;
            ::close(fd);
            fd = -1;
            return error == EWOULDBLOCK ? OutputFile::Opened::Busy : OutputFile::Opened::Failed;
        }
        struct stat named {};
        if (::fstat(fd, &info) == 0 && ::stat(path.c_str(), &named) == 0 && SameFile(info, named)) {
            return OutputFile::Opened::Yes;
        }
        ::close(fd);
        fd = -1;
    }
    action = "open";
    error = EBUSY; // renamed over again and again
    return OutputFile::Opened::Failed;
}

} // namespace

OutputFile::~OutputFile() {
    if (kind_ != Kind::None) {
        Abandon();
    }
}

bool OutputFile::Fail(std::string_view action, const std::string& path, int error) {
    cause_ = FileCause(action, path, error);
    return false;
}

OutputFile::Opened OutputFile::FailOpen(std::string_view action, int error) {
    Fail(action, target_, error);
    Abandon();
    return Opened::Failed;
}

OutputFile::Opened OutputFile::Open(const std::string& path, OutputMode mode, int32_t offset,
                                    int32_t length, uint8_t* scratch, std::size_t scratchSize) {
    target_ = path;
    if (offset < 0 || length < 0) {
        return FailOpen("open", EINVAL);
    }
    mode_ = mode;
    scratch_ = scratch;
    scratchSize_ = scratchSize;
    offset_ = mode == OutputMode::Overwrite ? offset : 0;
    RemoveStaleTemporaries(DirectoryOf(path));

    struct stat link {};
    const bool named = ::lstat(path.c_str(), &link) == 0;
    if (!named && errno != ENOENT) {
        return FailOpen("open", errno);
    }
    struct stat info {};
    const bool exists = named && ::stat(path.c_str(), &info) == 0;
    if (exists && S_ISDIR(info.st_mode)) {
        return FailOpen("open", EISDIR);
    }
    if (exists && !S_ISREG(info.st_mode)) {
        // Not waiting in open for a reader of a pipe that has none.
        fd_ = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ < 0 || ::fcntl(fd_, F_SETFL, 0) != 0) {
            return FailOpen("open", errno);
        }
        if (mode == OutputMode::Overwrite) {
            ::lseek(fd_, offset_, SEEK_SET); // a pipe or terminal has no position to set
        }
        kind_ = Kind::Direct;
        return Opened::Yes;
    }
    if (exists) {
        const char* action = "";
        int error = 0;
        const Opened locked = LockExisting(path, lock_, info, action, error);
        if (locked != Opened::Yes) {
            Fail(action, path, error);
            return locked;
        }
    }
    const bool symlink = named && S_ISLNK(link.st_mode);
    rename_ = mode != OutputMode::Append && !symlink && (!exists || RenameIsHarmless(path, info));
    if (static_cast<std::size_t>(length) > kBufferLimit) {
        return FailOpen("write", EFBIG);
    }
    // A target that does not exist yet (a dangling link's target, a new file) is created only
    // when there is data for it; one that could not be created fails here already.
    if (!exists && !symlink &&
        ::faccessat(AT_FDCWD, DirectoryOf(path).c_str(), W_OK | X_OK, AT_EACCESS) != 0) {
        return FailOpen("create", errno);
    }
    data_.reserve(static_cast<std::size_t>(length));
    kind_ = Kind::Buffered;
    return Opened::Yes;
}

void OutputFile::OpenStandardOutput(int32_t length) {
    data_.reserve(static_cast<std::size_t>(std::clamp<int32_t>(length, 0, kBufferLimit)));
    kind_ = Kind::StandardOutput;
}

bool OutputFile::OpenTemporary() {
    static unsigned counter = 0;
    const std::string directory = DirectoryOf(target_);
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        temporary_ = TemporaryName(directory, ::getpid(), counter++);
        fd_ = ::open(temporary_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST) {
            break;
        }
    }
    if (fd_ < 0) {
        const int error = errno;
        Fail("create the temporary file", temporary_, error);
        temporary_.clear();
        return false;
    }
    return true;
}

bool OutputFile::Write(const uint8_t* data, std::size_t count) {
    if (kind_ == Kind::Buffered || kind_ == Kind::StandardOutput) {
        if (data_.size() + count > kBufferLimit) {
            return Fail("write", target_, EFBIG);
        }
        data_.insert(data_.end(), data, data + count);
        return true;
    }
    return WriteAll(fd_, data, count) || Fail("write", target_, errno);
}

bool OutputFile::Commit() {
    bool committed = false;
    switch (kind_) {
    case Kind::Buffered:
        committed = rename_ ? CommitTemporary() : CommitInPlace();
        break;
    case Kind::Direct:
        committed = ::close(fd_) == 0 || Fail("write", target_, errno);
        fd_ = -1;
        break;
    case Kind::StandardOutput:
        committed = WriteAll(STDOUT_FILENO, data_.data(), data_.size());
        if (!committed) {
            cause_ = "cannot write standard output: " + SystemReason(errno);
        }
        data_.clear();
        break;
    case Kind::None:
        break;
    }
    if (!committed) {
        Abandon();
        return false;
    }
    kind_ = Kind::None;
    Unlock();
    return true;
}

// The new contents go to a temporary file beside the target (Overwrite starts from a copy of the
// old ones), which is renamed over the target once it is complete and on the disk.
bool OutputFile::CommitTemporary() {
    if (!OpenTemporary()) {
        return false;
    }
    struct stat info {};
    if (lock_ >= 0 && ::fstat(lock_, &info) == 0) {
        ::fchmod(fd_, info.st_mode & 07777);
        if (mode_ == OutputMode::Overwrite && !CopyWhole(lock_, fd_, scratch_, scratchSize_)) {
            return Fail("copy the old contents of", target_, errno);
        }
    }
    if (!Reserve(fd_, offset_, data_.size()) ||
        !WriteAllAt(fd_, data_.data(), data_.size(), static_cast<off_t>(offset_))) {
        return Fail("write", target_, errno);
    }
    const bool flushed = ::fsync(fd_) == 0 || Fail("write", target_, errno);
    const int closeError = ::close(fd_) == 0 ? 0 : errno;
    fd_ = -1;
    if (!flushed) {
        return false;
    }
    if (closeError != 0) {
        return Fail("write", target_, closeError);
    }
    if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
        const int error = errno;
        return Fail("rename \"" + QuoteForMessage(temporary_, kFileNameMaxChars) + "\" to", target_,
                    error);
    }
    temporary_.clear();
    const int directory = ::open(DirectoryOf(target_).c_str(), O_RDONLY | O_CLOEXEC);
    if (directory >= 0) {
        ::fsync(directory);
        ::close(directory);
    }
    return true;
}

// All of the data is here: only now is the file itself touched. The space is reserved first, so
// that the old contents are still whole when the disk is full. Append writes after the end it
// finds and, should a write still fail, cuts off exactly the bytes it added.
bool OutputFile::CommitInPlace() {
    if (lock_ < 0) {
        lock_ = ::open(target_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (lock_ < 0) {
            return Fail("create", target_, errno);
        }
        if (::flock(lock_, LOCK_EX | LOCK_NB) != 0) {
            return Fail("lock", target_, errno);
        }
    }
    struct stat info {};
    if (::fstat(lock_, &info) != 0) {
        return Fail("open", target_, errno);
    }
    const off_t start = mode_ == OutputMode::Append ? info.st_size : static_cast<off_t>(offset_);
    if (!Reserve(lock_, start, data_.size())) {
        return Fail("write", target_, errno);
    }
    if (!WriteAllAt(lock_, data_.data(), data_.size(), start)) {
        Fail("write", target_, errno);
        if (mode_ == OutputMode::Append) {
            ::ftruncate(lock_, info.st_size);
        }
        return false;
    }
    if (mode_ == OutputMode::Replace && ::ftruncate(lock_, static_cast<off_t>(data_.size())) != 0) {
        return Fail("write", target_, errno);
    }
    return ::fsync(lock_) == 0 || Fail("write", target_, errno);
}

void OutputFile::Abandon() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temporary_.empty()) {
        ::unlink(temporary_.c_str());
        temporary_.clear();
    }
    data_.clear();
    kind_ = Kind::None;
    Unlock();
}

void OutputFile::Unlock() {
    if (lock_ >= 0) {
        ::close(lock_);
        lock_ = -1;
    }
}

} // namespace tessary
