// libFuzzer target for the image readers: any bytes given as an Intel HEX or S-record file. The
// reader must refuse or accept without a fault; an accepted image written out again must read
// back as the same image; and read piece by piece through a small buffer, as a load reads a
// file, the text must give the same image or the same refusal as read whole.
#include "ImageText.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

// The text handed out in pieces of 1 to 16 bytes, their sizes taken from the text itself.
bool ReadInPieces(std::string_view text, tessary::image::ImageFormat format,
                  tessary::image::Image& image, tessary::image::ReadError& error) {
    std::size_t at = 0;
    tessary::image::ChunkedLines lines(
        [&](char* buffer, std::size_t size) {
            const std::size_t piece =
                std::min({size, text.size() - at,
                          at < text.size() ? 1 + static_cast<std::size_t>(text[at] & 15) : 0});
            std::memcpy(buffer, text.data() + at, piece);
            at += piece;
            return static_cast<std::ptrdiff_t>(piece);
        },
        8);
    return ReadImageText(lines, format, image, error);
}

void RoundTrip(std::string_view text, tessary::image::ImageFormat format) {
    using namespace tessary::image;
    Image image;
    ReadError error;
    const bool read = ReadImageText(text, format, image, error);
    Image pieces;
    ReadError piecesError;
    if (ReadInPieces(text, format, pieces, piecesError) != read ||
        (read ? pieces.Runs() != image.Runs() || pieces.entryAddress != image.entryAddress
              : piecesError.line != error.line || piecesError.text != error.text)) {
        std::abort();
    }
    if (!read) {
        if (error.line < 1 || error.text.rfind("line ", 0) != 0) {
            std::abort(); // every refusal names its line
        }
        return;
    }
    const std::string written = WriteImageText(image, format, SRecordWidth::Bits32);
    Image back;
    if (!ReadImageText(written, format, back, error) || back.Runs() != image.Runs() ||
        back.entryAddress.value_or(0) != image.entryAddress.value_or(0)) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    RoundTrip(text, tessary::image::ImageFormat::IntelHex);
    RoundTrip(text, tessary::image::ImageFormat::SRecord);
    return 0;
}
