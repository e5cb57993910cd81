#include "BinarySource.h"

#include "InputFile.h"

namespace tessary {

// The blocks are read in order from the file position the load set.
bool BinarySource::Read(std::size_t, int64_t, uint8_t* data, int32_t count) {
    return file_.Read(data, count) == count;
}

} // namespace tessary
