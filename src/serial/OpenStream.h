#pragma once

#include "ByteStream.h"
#include "OpenFailure.h"

#include <cstdint>
#include <memory>
#include <string>

namespace tessary {

// A line's stream, or why it could not be had.
struct OpenedStream {
    std::unique_ptr<ByteStream> stream;
    OpenFailure failure = OpenFailure::None;
    int osError = 0;
    // What is wrong with a malformed network line's name.
    std::string problem;
};

// Opens the line `path` names: tcp://HOST:PORT raw, rfc2217://HOST:PORT as a Telnet session that
// asks for `baud`, any other name as a tty set to `baud`.
OpenedStream OpenStream(const std::string& path, uint32_t baud);

} // namespace tessary
