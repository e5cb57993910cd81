#include "MemoryImage.h"

#include <cerrno>
#include <cstdint>
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
    // sized and filled.
    bool created = false;
    int fd = open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) {
        const std::string target = LinkTarget(path);
        fd = open(target.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        created = fd >= 0;
        if (created && ftruncate(fd, static_cast<off_t>(size)) != 0) {
            *error = Reason("cannot size", target);
            close(fd);
            unlink(target.c_str());
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
    if (created && fill != 0) {
        std::memset(data_, fill, size_);
    }
    return true;
}

} // namespace tessary::board
