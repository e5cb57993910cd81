#include "ImageText.h"

namespace tessary::image {

bool ReadImageText(LineSource& lines, ImageFormat format, Image& image, ReadError& error) {
    return format == ImageFormat::SRecord ? ReadSRecord(lines, image, error)
                                          : ReadIntelHex(lines, image, error);
}

bool ReadImageText(std::string_view text, ImageFormat format, Image& image, ReadError& error) {
    LineCursor lines(text);
    return ReadImageText(lines, format, image, error);
}

std::string WriteImageText(const Image& image, ImageFormat format, SRecordWidth width) {
    const std::unique_ptr<ImageWriter> writer =
        format == ImageFormat::SRecord ? MakeSRecordWriter(width) : MakeIntelHexWriter();
    std::string text;
    writer->Begin(text);
    for (const auto& [address, data] : image.Runs()) {
        writer->Data(address, data, text);
    }
    writer->End(image.entryAddress, text);
    return text;
}

} // namespace tessary::image
