// libFuzzer target for the image readers: any bytes given as an Intel HEX or S-record file. The
// reader must refuse or accept without a fault; an accepted image written out again must read
// back as the same image.
#include "ImageText.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void RoundTrip(std::string_view text, tessary::image::ImageFormat format) {
    using namespace tessary::image;
    Image image;
    ReadError error;
    if (!ReadImageText(text, format, image, error)) {
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
    tessary::image::DetectFormat(text.substr(0, tessary::image::kDetectHeadSize), "fuzz.hex");
    RoundTrip(text, tessary::image::ImageFormat::IntelHex);
    RoundTrip(text, tessary::image::ImageFormat::SRecord);
    return 0;
}
