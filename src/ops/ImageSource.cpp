#include "ImageSource.h"

#include "HexDigits.h"
#include "ImageReaders.h"
#include "LoadForm.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace tessary {
bool ImageSource::Select(image::Image taken, const LoadRequest& request, std::string& why) {
    image_ = std::move(taken);
    const image::Image& image = image_;
    ranges_.clear();
    starts_.clear();
    if (image.Empty()) {
        return true;
    }
    const uint64_t offset = static_cast<uint64_t>(std::max(request.fileOffset, 0));
    const uint64_t from = image.Lowest() + offset;
    if (offset > 0 && from >= image.End()) {
        why = "The file start location " + image::HexNumber(offset) +
              " lies past the image, whose addresses " + "run from " +
              image::HexNumber(image.Lowest()) + " to " + image::HexNumber(image.End() - 1) + ".";
        return false;
    }
    const uint64_t to = request.length == kLengthToEndOfFile
                            ? image.End()
                            : std::min<uint64_t>(image.End(), from + std::max(request.length, 0));
    const int64_t shift =
        request.startTyped ? int64_t{request.startAddress} - static_cast<int64_t>(from) : 0;
    for (const auto& [address, data] : image.Runs()) {
        const uint64_t start = std::max<uint64_t>(address, from);
        const uint64_t end = std::min<uint64_t>(address + data.size(), to);
        if (start >= end) {
            continue;
        }
        const int64_t moved = static_cast<int64_t>(start) + shift;
        if (moved < 0 || moved + static_cast<int64_t>(end - start) >
                             static_cast<int64_t>(image::kAddressSpace)) {
            why = "Moved to start address " +
                  image::HexNumber(static_cast<uint32_t>(request.startAddress)) +
                  ", the image would leave the board's address space (0x0 to " +
                  image::HexNumber(image::kAddressSpace - 1) + ").";
            ranges_.clear();
            starts_.clear();
            return false;
        }
        ranges_.push_back({static_cast<uint32_t>(moved), static_cast<int64_t>(end - start)});
        starts_.push_back(data.data() + (start - address));
    }
    return true;
}

bool ImageSource::Read(std::size_t index, int64_t offset, uint8_t* data, int32_t count) {
    std::memcpy(data, starts_[index] + offset, static_cast<std::size_t>(count));
    return true;
}

} // namespace tessary
