#include "BinarySource.h"

#include "BulkMemory.h"
#include "InputFile.h"

#include <climits>
#include <cstring>

namespace tessary {

int64_t BinarySource::Take(InputFile& file, int64_t offset) {
    const int64_t length = ranges_.front().length;
    if (length <= 0) {
        return 0;
    }
    if (length > INT32_MAX || !file.Seek(offset)) {
        return 0;
    }
    bytes_ = std::pmr::vector<uint8_t>(static_cast<std::size_t>(length), BulkMemory());
    return file.Read(bytes_.data(), static_cast<int32_t>(length));
}

bool BinarySource::Read(std::size_t, int64_t offset, uint8_t* data, int32_t count) {
    if (offset < 0 || count < 0 || offset + count > static_cast<int64_t>(bytes_.size())) {
        return false;
    }
    std::memcpy(data, bytes_.data() + offset, static_cast<std::size_t>(count));
    return true;
}

} // namespace tessary
