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

// The format a file is read in when the user names none: its name's extension alone decides
// (.hex, .ihex Intel HEX; .srec, .s19, .s28, .s37, .mot S-records; anything else, .bin or no
// extension, raw bytes). The contents never do: a raw file may start with bytes that happen to
// form a valid record, and a text file that is not a valid image of its named format is refused
// by its reader, naming the line.
ImageFormat DetectFormat(std::string_view path);

} // namespace tessary::image
