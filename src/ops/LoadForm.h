#pragma once

#include "ImageFormat.h"

#include <cstdint>
#include <memory>
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
    bool preserve = true;  // Load Flash only: keep the bytes of partly covered blocks
    // The file's format; nothing = the one its name gives (image::DetectFormat).
    std::optional<image::ImageFormat> format = std::nullopt;
    // Load Flash only: with auto erase, blocks that already hold the image are left alone.
    bool skipUnchanged = true;
    // Verify byte for byte even where the board offers its checksum.
    bool verifyReadBack = false;
};

// A validated load.
struct LoadRequest {
    std::string fileName;
    int32_t fileOffset = 0;
    int32_t startAddress = 0;
    int32_t length = kLengthToEndOfFile;
    bool verify = false;
    bool autoErase = false;
    // With auto erase, the bytes of an erased block that the load does not cover are read first
    // and programmed back after the erase.
    bool preserve = true;
    // With auto erase, on a board that computes checksums: an erase block whose content already
    // equals what the load would leave in it is neither erased nor programmed.
    bool skipUnchanged = false;
    std::optional<image::ImageFormat> format = std::nullopt;
    // An image's records keep their own addresses unless a start address was typed.
    bool startTyped = false;
    // The file's bytes when they were read already (standard input); fileName then only names
    // them.
    std::shared_ptr<const std::string> contents = nullptr;
    // Verify by reading each block back even where the board computes checksums; otherwise such
    // a board's CRC of each written block is compared with the block's, and only a block whose
    // CRC differs is read back, to name its first difference.
    bool verifyReadBack = false;
};

// The Load RAM page's checks; the first failure is shown (owned by the page, no icon) and yields
// nothing.
std::optional<LoadRequest> ValidateLoadRamForm(LoadForm& form, MessageSink& messages);

// The Load Flash page's checks: those of Load RAM with its own caption and texts, then the Flash
// limit of the memory configuration.
std::optional<LoadRequest> ValidateLoadFlashForm(LoadForm& form, int32_t configuration,
                                                 MessageSink& messages);

} // namespace tessary
