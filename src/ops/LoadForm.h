#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tessary {

class MessageSink;

// The length that stands for "from the file offset to the end of the file".
inline constexpr int32_t kLengthToEndOfFile = -1;

// The fields of a load page as the user left them. Validation writes the cleaned number texts
// back, and the page shows them.
struct LoadForm {
    std::string fileName;
    std::string startAddress;
    std::string fileOffset;
    std::string length;
    bool verify = true;
    bool autoErase = true; // Load Flash only
};

// A validated load.
struct LoadRequest {
    std::string fileName;
    int32_t fileOffset = 0;
    int32_t startAddress = 0;
    int32_t length = kLengthToEndOfFile;
    bool verify = false;
    bool autoErase = false;
};

// The Load RAM page's checks; the first failure is shown (owned by the page, no icon) and yields
// nothing.
std::optional<LoadRequest> ValidateLoadRamForm(LoadForm& form, MessageSink& messages);

// The Load Flash page's checks: those of Load RAM with its own caption and texts, then the Flash
// limit of the memory configuration.
std::optional<LoadRequest> ValidateLoadFlashForm(LoadForm& form, int32_t configuration,
                                                 MessageSink& messages);

} // namespace tessary
