#include "BoardFlash.h"

#include "FlashGeometry.h"
#include "MemoryConfigurations.h"
#include "MemoryController.h"
#include "Sinks.h"

namespace tessary {

std::string FlashSizeText(uint32_t bytes) {
    constexpr uint32_t kMegabyte = 1024 * 1024;
    if (bytes > kMegabyte && bytes % kMegabyte == 0) {
        return std::to_string(bytes / kMegabyte) + " MB";
    }
    return std::to_string(bytes / 1024) + "K";
}

bool BoardFlashMatches(const MemoryController& controller, int32_t configuration,
                       const std::string& caption, MessageSink& messages) {
    const auto board = controller.BoardFlashSize();
    const uint32_t chosen = FlashSize(configuration);
    if (!board || *board == chosen) {
        return true;
    }
    messages.ShowMessage(
        "The board's Flash holds " + FlashSizeText(*board) + ", but the memory configuration " +
            ConfigurationOfValue(configuration).label + " has " + FlashSizeText(chosen) +
            ". Choose the memory configuration that matches the board; nothing "
            "was erased or written.",
        caption, MessageIcon::Error, true);
    return false;
}

} // namespace tessary
