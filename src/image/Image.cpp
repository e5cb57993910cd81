#include "Image.h"

#include <algorithm>
#include <iterator>

namespace tessary::image {

void Image::Clear() {
    segments_.clear();
    entryAddress.reset();
}

Image::AddResult Image::Add(uint32_t address, std::span<const uint8_t> bytes) {
    if (bytes.empty()) {
        return AddResult::Added;
    }
    const uint64_t end = uint64_t{address} + bytes.size();
    // Files list their records in ascending order: most records extend the last run.
    if (!segments_.empty()) {
        auto& [lastStart, lastData] = *segments_.rbegin();
        if (uint64_t{lastStart} + lastData.size() == address) {
            lastData.insert(lastData.end(), bytes.begin(), bytes.end());
            return AddResult::Added;
        }
    }
    // The runs that overlap or touch [address, end): from the last one starting at or below the
    // address to the last one starting at or below the end.
    auto first = segments_.upper_bound(address);
    if (first != segments_.begin()) {
        auto before = std::prev(first);
        if (uint64_t{before->first} + before->second.size() >= address) {
            first = before;
        }
    }
    auto last = first;
    while (last != segments_.end() && uint64_t{last->first} <= end) {
        ++last;
    }
    // Every byte already present must agree.
    for (auto it = first; it != last; ++it) {
        const uint64_t from = std::max<uint64_t>(it->first, address);
        const uint64_t to = std::min<uint64_t>(uint64_t{it->first} + it->second.size(), end);
        for (uint64_t a = from; a < to; ++a) {
            if (it->second[a - it->first] != bytes[a - address]) {
                return AddResult::Conflict;
            }
        }
    }
    uint32_t start = address;
    uint64_t stop = end;
    if (first != last) {
        start = std::min(start, first->first);
        const auto& tail = *std::prev(last);
        stop = std::max<uint64_t>(stop, uint64_t{tail.first} + tail.second.size());
    }
    Bytes merged(stop - start, memory_);
    for (auto it = first; it != last; ++it) {
        std::copy(it->second.begin(), it->second.end(), merged.begin() + (it->first - start));
    }
    std::copy(bytes.begin(), bytes.end(), merged.begin() + (address - start));
    segments_.erase(first, last);
    segments_.emplace(start, std::move(merged));
    return AddResult::Added;
}

uint32_t Image::Lowest() const {
    return segments_.empty() ? 0 : segments_.begin()->first;
}

uint64_t Image::End() const {
    if (segments_.empty()) {
        return 0;
    }
    const auto& [start, data] = *segments_.rbegin();
    return uint64_t{start} + data.size();
}

uint64_t Image::ByteCount() const {
    uint64_t count = 0;
    for (const auto& [start, data] : segments_) {
        count += data.size();
    }
    return count;
}

std::vector<Segment> Image::Segments() const {
    std::vector<Segment> segments;
    segments.reserve(segments_.size());
    for (const auto& [start, data] : segments_) {
        segments.push_back({start, std::vector<uint8_t>(data.begin(), data.end())});
    }
    return segments;
}

} // namespace tessary::image
