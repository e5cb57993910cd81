#pragma once

#include "LoadSource.h"

namespace tessary {

class InputFile;

// A raw binary file's slice: one range at the start address, read from the file as it goes.
class BinarySource final : public LoadSource {
  public:
    BinarySource(InputFile& file, uint32_t address, int64_t length)
        : file_(file), ranges_{{address, length}} {}
    const std::vector<LoadRange>& Ranges() const override { return ranges_; }
    bool Read(std::size_t index, int64_t offset, uint8_t* data, int32_t count) override;

  private:
    InputFile& file_;
    std::vector<LoadRange> ranges_;
};

} // namespace tessary
