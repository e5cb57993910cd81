// A block of memory of fixed size, either private to the process or mapped from an image file
// so that its contents outlive the process, as a powered board keeps what was loaded into it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace tessary::board {

class MemoryImage {
  public:
    MemoryImage() = default;
    ~MemoryImage();
    MemoryImage(const MemoryImage&) = delete;
    MemoryImage& operator=(const MemoryImage&) = delete;
    MemoryImage(MemoryImage&& other) noexcept;
    MemoryImage& operator=(MemoryImage&&) = delete;

    // Maps `size` bytes. With an empty path the memory is anonymous and filled with `fill`.
    // Otherwise a new file is created (filled with `fill`) and an existing one (a symbolic link
    // is followed) used as it is; a file of another size is refused, never cut or extended.
    // False with a reason (naming both sizes) on failure.
    bool Open(const std::string& path, size_t size, uint8_t fill, std::string* error);

    uint8_t* data() { return data_; }
    std::span<uint8_t> bytes() { return {data_, size_}; }

  private:
    void Unmap();

    uint8_t* data_ = nullptr;
    size_t size_ = 0;
};

} // namespace tessary::board
