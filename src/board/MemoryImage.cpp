#include "MemoryImage.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessary::board {
namespace {

std::string Reason(const std::string& what, const std::string& path) {
    return what + " " + path + ": " + std::strerror(errno);
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
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        *error = Reason("cannot open", path);
        return false;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || ftruncate(fd, static_cast<off_t>(size)) != 0) {
        *error = Reason("cannot size", path);
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
    const size_t kept =
        static_cast<size_t>(st.st_size) < size ? static_cast<size_t>(st.st_size) : size;
    if (fill != 0 && kept < size) {
        std::memset(data_ + kept, fill, size - kept);
    }
    return true;
}

} // namespace tessary::board
