#include "MemoryImage.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessary::board {
namespace {

std::string Reason(const std::string& what, const std::string& path) {
    return what + " " + path + ": " + std::strerror(errno);
}

// Where a link that names no file yet points (one level), or the path itself.
std::string LinkTarget(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path link = path;
    const std::filesystem::path target = std::filesystem::read_symlink(link, ec);
    return ec ? path : (link.parent_path() / target).string();
}

std::string WrongSize(const std::string& path, const struct stat& st, size_t size) {
    const std::string wanted = std::to_string(size) + " bytes";
    if (!S_ISREG(st.st_mode)) {
        return path + " is not a plain file of " + wanted + "; it was left as it is";
    }
    return path + " holds " + std::to_string(st.st_size) + " bytes, but this board's memory is " +
           wanted + "; the file was left as it is: give the device back the memory size it was " +
           "made with, or move the file away to start with a new memory";
}

// Makes a new image whole before anyone can see it: sized and filled under a temporary name in
// the target's folder, then linked into place. The open file comes back; -1 with errno EEXIST when
// another user put one there first, or -1 with *error set.
int CreateWhole(const std::string& target, size_t size, uint8_t fill, std::string* error) {
    std::string temporary = target + ".XXXXXX";
    const int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        *error = Reason("cannot create", target);
        return -1;
    }
    bool made = ftruncate(fd, static_cast<off_t>(size)) == 0;
    if (made && fill != 0 && size > 0) {
        void* mem = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        made = mem != MAP_FAILED;
        if (made) {
            std::memset(mem, fill, size);
            munmap(mem, size);
        }
    }
    if (!made) {
        *error = Reason("cannot size", target);
    } else if (link(temporary.c_str(), target.c_str()) != 0) {
        made = false;
        if (errno != EEXIST) {
            *error = Reason("cannot create", target);
        }
    }
    const int saved = errno;
    unlink(temporary.c_str());
    if (!made) {
        close(fd);
        errno = saved;
        return -1;
    }
    return fd;
}

} // namespace

MemoryImage::~MemoryImage() {
    Unmap();
}

MemoryImage::MemoryImage(MemoryImage&& other) noexcept : data_(other.data_), size_(other.size_) {
    other.data_ = nullptr;
    other.size_ = 0;
}

void MemoryImage::Unmap() {
    if (data_ != nullptr) {
        munmap(data_, size_);
        data_ = nullptr;
        size_ = 0;
    }
}

bool MemoryImage::Open(const std::string& path, size_t size, uint8_t fill, std::string* error) {
    Unmap();
    if (path.empty()) {
        void* mem = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mem == MAP_FAILED) {
            *error = Reason("cannot allocate memory for", "image");
            return false;
        }
        data_ = static_cast<uint8_t*>(mem);
        size_ = size;
        if (fill != 0) {
            std::memset(data_, fill, size_);
        }
        return true;
    }
    // An existing file is used as it is; only a new one (where a link points, for a link) is
    // sized and filled. Two users starting at once share the one that appears first.
    bool created = false;
    int fd = open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) {
        error->clear();
        fd = CreateWhole(LinkTarget(path), size, fill, error);
        created = fd >= 0;
        if (fd < 0 && errno == EEXIST) {
            fd = open(path.c_str(), O_RDWR | O_CLOEXEC);
        } else if (fd < 0) {
            return false;
        }
    }
    if (fd < 0) {
        *error = Reason("cannot open", path);
        return false;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0) {
        *error = Reason("cannot look at", path);
        close(fd);
        return false;
    }
    if (!created && (!S_ISREG(st.st_mode) || static_cast<uint64_t>(st.st_size) != size)) {
        *error = WrongSize(path, st, size);
        close(fd);
        return false;
    }
    void* mem = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    close(fd);
    if (mem == MAP_FAILED) {
        *error = Reason("cannot map", path);
        return false;
    }
    data_ = static_cast<uint8_t*>(mem);
    size_ = size;
    return true;
}

} // namespace tessary::board
