#pragma once

#include "ImageWriter.h"

#include <optional>
#include <string_view>

namespace tessary::image {

enum class ImageFormat { Binary, IntelHex, SRecord };

// "bin", "ihex", "srec": the names a user gives with --format.
const char* FormatName(ImageFormat format);
std::optional<ImageFormat> FormatNamed(std::string_view name);

// The format a file name's extension names, in any case: .bin; .hex, .ihex; .srec, .s19, .s28,
// .s37, .mot. Nothing for other extensions.
std::optional<ImageFormat> FormatOfExtension(std::string_view path);

// The record width an S-record extension fixes: .s19 S1, .s28 S2, .s37 S3; nothing for others.
std::optional<SRecordWidth> WidthOfExtension(std::string_view path);

// The format of a file from its first bytes: a first non-blank line that is a well-formed Intel
// HEX or S-record record makes it that format. Otherwise the extension decides between a text
// format (whose reader then names what is wrong) and raw binary.
ImageFormat DetectFormat(std::string_view head, std::string_view path);

// Bytes of a file's beginning that DetectFormat needs to see its first record.
inline constexpr std::size_t kDetectHeadSize = 4096;

} // namespace tessary::image
