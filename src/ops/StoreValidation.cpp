#include "FormFields.h"
#include "Sinks.h"
#include "StoreForm.h"

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
    return request;
}

} // namespace tessary
