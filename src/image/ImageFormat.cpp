#include "ImageFormat.h"

#include <algorithm>
#include <array>
#include <string>
#include <utility>

namespace tessary::image {
namespace {

std::string LowerExtension(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    const std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) {
        return {};
    }
    std::string extension(path.substr(dot + 1));
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

constexpr std::array<std::pair<std::string_view, ImageFormat>, 8> kExtensions = {{
    {"bin", ImageFormat::Binary},
    {"hex", ImageFormat::IntelHex},
    {"ihex", ImageFormat::IntelHex},
    {"srec", ImageFormat::SRecord},
    {"s19", ImageFormat::SRecord},
    {"s28", ImageFormat::SRecord},
    {"s37", ImageFormat::SRecord},
    {"mot", ImageFormat::SRecord},
}};

} // namespace

const char* FormatName(ImageFormat format) {
    switch (format) {
    case ImageFormat::Binary:
        return "bin";
    case ImageFormat::IntelHex:
        return "ihex";
    case ImageFormat::SRecord:
        return "srec";
    }
    return "";
}

std::optional<ImageFormat> FormatNamed(std::string_view name) {
    for (const ImageFormat format :
         {ImageFormat::Binary, ImageFormat::IntelHex, ImageFormat::SRecord}) {
        if (name == FormatName(format)) {
            return format;
        }
    }
    return std::nullopt;
}

std::optional<ImageFormat> FormatOfExtension(std::string_view path) {
    const std::string extension = LowerExtension(path);
    for (const auto& [name, format] : kExtensions) {
        if (extension == name) {
            return format;
        }
    }
    return std::nullopt;
}

std::optional<SRecordWidth> WidthOfExtension(std::string_view path) {
    const std::string extension = LowerExtension(path);
    if (extension == "s19") {
        return SRecordWidth::Bits16;
    }
    if (extension == "s28") {
        return SRecordWidth::Bits24;
    }
    if (extension == "s37") {
        return SRecordWidth::Bits32;
    }
    return std::nullopt;
}

ImageFormat DetectFormat(std::string_view path) {
    return FormatOfExtension(path).value_or(ImageFormat::Binary);
}

} // namespace tessary::image
