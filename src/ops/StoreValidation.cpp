#include "FormFields.h"
#include "HexDigits.h"
#include "Sinks.h"
#include "StoreForm.h"

#include <algorithm>

namespace tessary {

const StorePageTexts kStoreRamTexts{
    "RAM Store Error",
    "Must open valid file.",
    "Error",
    "RAM Store Error",
    "Ram Store complete. Total bytes transferred: ",
    "Ram Store error",
};

const StorePageTexts kStoreFlashTexts{
    "Flash Store Error",
    "No file name specified.",
    "Flash Store Error",
    "Error",
    "Flash Store complete. Total bytes transferred: ",
    "Flash Store error",
};

namespace {

// The text formats hold addresses and an end record: adding to such a file, or writing into the
// middle of it, would leave a file no tool reads.
bool ChooseFormat(const StoreForm& form, const StorePageTexts& texts, MessageSink& messages,
                  StoreRequest& request) {
    using image::ImageFormat;
    request.format =
        form.format.value_or(image::FormatOfExtension(request.path).value_or(ImageFormat::Binary));
    if (request.format == ImageFormat::Binary) {
        return true;
    }
    const char* kind = request.format == ImageFormat::IntelHex ? "An Intel HEX" : "An S-record";
    if (request.mode != OutputMode::Replace) {
        messages.ShowMessage(std::string(kind) +
                                 " file can only be written whole: choose Replace. Append and "
                                 "Overwrite apply to raw binary files.",
                             texts.caption, MessageIcon::None, true);
        return false;
    }
    if (request.format == ImageFormat::SRecord) {
        const uint64_t end = static_cast<uint64_t>(static_cast<uint32_t>(request.startAddress)) +
                             static_cast<uint64_t>(std::max(request.length, 0));
        const auto named = image::WidthOfExtension(request.path);
        request.width = named.value_or(image::NarrowestWidth(end));
        if (end > image::WidthEnd(request.width)) {
            messages.ShowMessage("The range ends at " + image::HexNumber(end - 1) +
                                     ", past what the records "
                                     "of a ." +
                                     request.path.substr(request.path.rfind('.') + 1) +
                                     " file can address (" +
                                     image::HexNumber(image::WidthEnd(request.width) - 1) +
                                     "); name the file .s28, .s37 or .srec.",
                                 texts.caption, MessageIcon::None, true);
            return false;
        }
    }
    return true;
}

} // namespace

std::optional<StoreRequest> ValidateForm(StoreForm& form, const StorePageTexts& texts,
                                         MessageSink& messages) {
    StoreRequest request;
    request.mode = form.mode;
    request.path = ReadField(form.fileName, kFileNameMaxChars);
    if (request.path.empty()) {
        messages.ShowMessage(texts.noFileName, texts.caption, MessageIcon::None, true);
        return std::nullopt;
    }
    if (!form.startAddress.empty() && !ParseNumberField(form.startAddress, "address", texts.caption,
                                                        messages, request.startAddress)) {
        return std::nullopt;
    }
    // The offset is examined only in Overwrite mode; otherwise the field just keeps what it holds.
    if (form.mode != OutputMode::Overwrite) {
        form.fileOffset = ReadField(form.fileOffset, kNumberFieldMaxChars);
    } else if (!form.fileOffset.empty() &&
               !ParseNumberField(form.fileOffset, "file offset", texts.caption, messages,
                                 request.fileOffset)) {
        return std::nullopt;
    }
    // An empty length is not a number: there is no default for how much to store.
    if (!ParseNumberField(form.length, "length", texts.lengthCaption, messages, request.length)) {
        return std::nullopt;
    }
    if (!ChooseFormat(form, texts, messages, request)) {
        return std::nullopt;
    }
    return request;
}

} // namespace tessary
