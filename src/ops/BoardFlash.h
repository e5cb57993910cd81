#pragma once

#include <cstdint>
#include <string>

namespace tessary {

class MemoryController;
class MessageSink;

// A Flash operation on a board whose Flash size is known (a simulated board, a board announcing
// f=) and is not the memory configuration's would erase, program and read by the wrong block
// table, and past the chip's end. True when the sizes agree or the board's is not known;
// otherwise shows why, under `caption`, and returns false before anything is erased or written.
bool BoardFlashMatches(const MemoryController& controller, int32_t configuration,
                       const std::string& caption, MessageSink& messages);

// "512K", "1024K", "4 MB", "16 MB".
std::string FlashSizeText(uint32_t bytes);

} // namespace tessary
