#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tessary {

// Text from a file or a command line, made fit to quote in a message on a terminal: control bytes
// (NUL, ESC, newlines...) and DEL become \xNN, and a text longer than maxChars is cut there and
// ends in "...". A 100 MB word never becomes a 100 MB message, nor an escape sequence a command
// to the terminal.
std::string QuoteForMessage(std::string_view text, std::size_t maxChars = 80);

} // namespace tessary
