// '-' as the file of a load (standard input) or of a store (standard output), as in other tools.
#pragma once

#include "Request.h"
#include "Sinks.h"

#include <cstddef>
#include <memory>
#include <string>

namespace tessary::cli {

inline bool IsStandardStream(const std::string& file) {
    return file == "-";
}

// A store whose data goes to standard output: the tool's own report then goes to stderr.
bool StoresToStandardOutput(const Request& request);

// The most a load reads from standard input for a memory of `memorySize` bytes: the memory's bytes
// as an image file's text (a HEX or S-record line takes under three characters per byte).
std::size_t StandardInputLimit(std::size_t memorySize);

// Reads standard input to its end, at most `limit` bytes; nothing, with the reason shown, when it
// holds more or cannot be read.
std::shared_ptr<const std::string> ReadStandardInput(std::size_t limit, MessageSink& messages);

} // namespace tessary::cli
