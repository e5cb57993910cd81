#pragma once

#include "LoadSource.h"

#include <memory_resource>

namespace tessary {

class InputFile;

// A raw binary file's slice: one range at the start address. It is read whole before the board
// is contacted, so a file shorter than the slice is refused while nothing has been erased or
// written, and a file that changes while the load runs cannot leave a range half written.
class BinarySource final : public LoadSource {
  public:
    BinarySource(uint32_t address, int64_t length) : ranges_{{address, length}} {}

    // Reads the range's bytes from the file, from offset on. The number read: fewer than the
    // range's length when the file ends first or reading fails.
    int64_t Take(InputFile& file, int64_t offset);

    const std::vector<LoadRange>& Ranges() const override { return ranges_; }
    bool Read(std::size_t index, int64_t offset, uint8_t* data, int32_t count) override;

  private:
    std::vector<LoadRange> ranges_;
    std::pmr::vector<uint8_t> bytes_;
};

} // namespace tessary
