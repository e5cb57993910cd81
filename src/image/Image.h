#pragma once

#include <cstdint>
#include <map>
#include <memory_resource>
#include <optional>
#include <span>
#include <vector>

namespace tessary::image {

// One run of bytes at consecutive addresses.
struct Segment {
    uint32_t address = 0;
    std::vector<uint8_t> data;

    uint64_t End() const { return uint64_t{address} + data.size(); }
};

// A memory image: bytes at addresses, with gaps between the runs, and the entry address a file
// may name. Runs never overlap and never touch: adjacent runs are one segment.
class Image {
  public:
    enum class AddResult { Added, Conflict };
    using Bytes = std::pmr::vector<uint8_t>;

    // memory: where the runs' bytes are kept (an image of many megabytes is best kept in memory
    // that is ready when it is written, rather than page by page).
    explicit Image(std::pmr::memory_resource* memory = std::pmr::get_default_resource())
        : memory_(memory) {}

    // Takes every byte and the entry address away; the memory stays the image's.
    void Clear();

    // Puts bytes at address on. Bytes already present must be equal (a file may repeat a
    // record); a different value is a conflict and leaves the image unchanged.
    AddResult Add(uint32_t address, std::span<const uint8_t> bytes);

    bool Empty() const { return segments_.empty(); }
    uint32_t Lowest() const;
    uint64_t End() const; // one past the highest address
    uint64_t ByteCount() const;
    std::vector<Segment> Segments() const;
    // The segments as views, ascending, without copying.
    const std::map<uint32_t, Bytes>& Runs() const { return segments_; }

    std::optional<uint32_t> entryAddress;

  private:
    std::map<uint32_t, Bytes> segments_;
    std::pmr::memory_resource* memory_;
};

} // namespace tessary::image
