#pragma once

#include "Image.h"
#include "ImageFormat.h"
#include "ImageReaders.h"

#include <string>
#include <string_view>

namespace tessary::image {

// Reads a whole Intel HEX or S-record text with the format's reader.
bool ReadImageText(LineSource& lines, ImageFormat format, Image& image, ReadError& error);
bool ReadImageText(std::string_view text, ImageFormat format, Image& image, ReadError& error);

// Writes a whole image as Intel HEX or S-records (width for S-records).
std::string WriteImageText(const Image& image, ImageFormat format,
                           SRecordWidth width = SRecordWidth::Bits24);

} // namespace tessary::image
