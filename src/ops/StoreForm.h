#pragma once

#include "ImageFormat.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tessary {

class MessageSink;

// How a store writes its file.
enum class OutputMode {
    Append,    // add the data at the end; a missing file is created
    Replace,   // the file holds exactly the data afterwards
    Overwrite, // the data replaces the file's bytes from the file offset on
};

// The fields of a store page as the user left them; validation writes the cleaned number texts
// back.
struct StoreForm {
    std::string fileName;
    std::string startAddress;
    std::string fileOffset;
    std::string length;
    OutputMode mode = OutputMode::Append;
    // The file's format; nothing = the one its extension names, raw binary for any other.
    std::optional<image::ImageFormat> format = std::nullopt;
};

// A validated store.
struct StoreRequest {
    std::string path;
    int32_t startAddress = 0;
    int32_t length = 0;
    OutputMode mode = OutputMode::Append;
    int32_t fileOffset = 0; // Overwrite only
    // Intel HEX and S-record files carry the memory addresses of the bytes stored.
    image::ImageFormat format = image::ImageFormat::Binary;
    image::SRecordWidth width = image::SRecordWidth::Bits24; // S-records only
    // The data goes to standard output (a script's pipe) instead of the file at path.
    bool toStandardOutput = false;
};

// The texts in which the Store RAM and Store Flash pages differ.
struct StorePageTexts {
    const char* caption;         // form, board and out-of-memory messages
    const char* noFileName;      // the empty file name
    const char* lengthCaption;   // the length message
    const char* openFailCaption; // "Unable to open specified file."
    const char* completePrefix;  // followed by the length
    const char* errorStatus;
};

extern const StorePageTexts kStoreRamTexts;
extern const StorePageTexts kStoreFlashTexts;

// The store pages' checks, in the order name, start address, file offset (Overwrite only),
// length, then the file format: an Intel HEX or S-record file is only ever replaced whole, and
// the range must fit the address width of an S-record file's extension (.s19, .s28). The first
// failure is shown (owned by the page, no icon) and yields nothing.
std::optional<StoreRequest> ValidateForm(StoreForm& form, const StorePageTexts& texts,
                                         MessageSink& messages);

} // namespace tessary
