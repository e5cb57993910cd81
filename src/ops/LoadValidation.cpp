#include "FlashGeometry.h"
#include "FlashLimit.h"
#include "FormFields.h"
#include "LoadForm.h"
#include "RamLimit.h"
#include "Sinks.h"

namespace tessary {
namespace {

struct LoadFormTexts {
    const char* caption;
    const char* noFileName;
};

constexpr LoadFormTexts kLoadRamFormTexts{"Error", "No file name entered."};
constexpr LoadFormTexts kLoadFlashFormTexts{"Flash Load Error", "No file name specified"};

// One number field: empty gives the default, anything else must parse.
bool ReadNumber(std::string& field, int32_t emptyValue, const char* what,
                const LoadFormTexts& texts, MessageSink& messages, int32_t& value) {
    if (field.empty()) {
        value = emptyValue;
        return true;
    }
    return ParseNumberField(field, what, texts.caption, messages, value);
}

std::optional<LoadRequest> Validate(LoadForm& form, const LoadFormTexts& texts,
                                    MessageSink& messages) {
    LoadRequest request;
    request.fileName = ReadField(form.fileName, kFileNameMaxChars);
    if (request.fileName.empty()) {
        messages.ShowMessage(texts.noFileName, texts.caption, MessageIcon::None, true);
        return std::nullopt;
    }
    if (!ReadNumber(form.startAddress, 0, "address", texts, messages, request.startAddress) ||
        !ReadNumber(form.fileOffset, 0, "file offset", texts, messages, request.fileOffset) ||
        !ReadNumber(form.length, kLengthToEndOfFile, "length", texts, messages, request.length)) {
        return std::nullopt;
    }
    request.verify = form.verify;
    request.verifyReadBack = form.verifyReadBack;
    request.format = form.format;
    request.startTyped = !form.startAddress.empty();
    return request;
}

} // namespace

std::optional<LoadRequest> ValidateLoadRamForm(LoadForm& form, MessageSink& messages) {
    std::optional<LoadRequest> request = Validate(form, kLoadRamFormTexts, messages);
    // A typed length must end inside the address space; the rest of a file is checked once the
    // file's size is known.
    if (request && !form.length.empty() && !RamRangeFits(request->startAddress, request->length)) {
        messages.ShowMessage(RamLimitMessage(), kLoadRamFormTexts.caption, MessageIcon::None, true);
        return std::nullopt;
    }
    return request;
}

std::optional<LoadRequest> ValidateLoadFlashForm(LoadForm& form, int32_t configuration,
                                                 MessageSink& messages) {
    std::optional<LoadRequest> request = Validate(form, kLoadFlashFormTexts, messages);
    if (!request) {
        return std::nullopt;
    }
    // A typed length must end inside the Flash (the end computed as the board's 32-bit sum). A
    // negative start is refused whatever the length: it would wrap into the erase range.
    const bool typedLength = !form.length.empty();
    const uint32_t end =
        static_cast<uint32_t>(request->startAddress) + static_cast<uint32_t>(request->length);
    if (request->startAddress < 0 || (typedLength && end > FlashSize(configuration))) {
        messages.ShowMessage(FlashLimitMessage(configuration), kLoadFlashFormTexts.caption,
                             MessageIcon::None, true);
        return std::nullopt;
    }
    request->autoErase = form.autoErase;
    request->preserve = form.preserve;
    request->skipUnchanged = form.skipUnchanged;
    return request;
}

} // namespace tessary
