#include "BulkMemory.h"

#include <cstddef>
#include <new>
#include <sys/mman.h>

namespace tessary {
namespace {

constexpr std::size_t kMapped = std::size_t{1} << 20;    // blocks this large are mapped
constexpr std::size_t kLargePage = std::size_t{2} << 20; // and rounded up to whole large pages

std::size_t MappedLength(std::size_t bytes) {
    return (bytes + kLargePage - 1) / kLargePage * kLargePage;
}

class Bulk final : public std::pmr::memory_resource {
    void* do_allocate(std::size_t bytes, std::size_t alignment) override {
        if (bytes < kMapped) {
            return std::pmr::new_delete_resource()->allocate(bytes, alignment);
        }
        const std::size_t length = MappedLength(bytes);
        void* block =
            ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (block == MAP_FAILED) {
            throw std::bad_alloc();
        }
        // Both are requests the system may turn down (no large pages, an older kernel): the
        // block then fills page by page as it is written, as any other.
        ::madvise(block, length, MADV_HUGEPAGE);
#ifdef MADV_POPULATE_WRITE
        ::madvise(block, length, MADV_POPULATE_WRITE);
#endif
        return block;
    }

    void do_deallocate(void* block, std::size_t bytes, std::size_t alignment) override {
        if (bytes < kMapped) {
            std::pmr::new_delete_resource()->deallocate(block, bytes, alignment);
            return;
        }
        ::munmap(block, MappedLength(bytes));
    }

    bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override {
        return this == &other;
    }
};

} // namespace

std::pmr::memory_resource* BulkMemory() {
    static Bulk bulk;
    return &bulk;
}

} // namespace tessary
