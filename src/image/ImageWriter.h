#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace tessary::image {

// Which data records an S-record file uses: S1 (16-bit addresses), S2 (24) or S3 (32).
enum class SRecordWidth { Bits16, Bits24, Bits32 };

// Writes an image as text while its bytes arrive, run by run in ascending address order: the
// text goes to the end of out, for the caller to write to its file.
class ImageWriter {
  public:
    virtual ~ImageWriter() = default;
    virtual void Begin(std::string& out) = 0;
    virtual void Data(uint32_t address, std::span<const uint8_t> bytes, std::string& out) = 0;
    virtual void End(std::optional<uint32_t> entryAddress, std::string& out) = 0;
};

// Intel HEX: 16 data bytes a record, an extended linear address record (04) whenever the upper
// 16 bits change, the entry address as a type 05 record, then the end-of-file record.
std::unique_ptr<ImageWriter> MakeIntelHexWriter();

// Motorola S-records: an S0 header, 16 data bytes a record with the given address width, the
// data record count (S5, or S6 past 65535) and the termination record of the width (S9, S8, S7)
// carrying the entry address (0 without one). Addresses must fit the width.
std::unique_ptr<ImageWriter> MakeSRecordWriter(SRecordWidth width);

// The narrowest width whose addresses reach end - 1.
SRecordWidth NarrowestWidth(uint64_t end);
// One past the highest address the width reaches.
uint64_t WidthEnd(SRecordWidth width);

} // namespace tessary::image
