#include "StandardStreams.h"

#include "Refuse.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace tessary::cli {

bool StoresToStandardOutput(const Request& request) {
    return (request.command == Command::StoreRam || request.command == Command::StoreFlash) &&
           IsStandardStream(request.file);
}

std::size_t StandardInputLimit(std::size_t memorySize) {
    return 3 * memorySize + 4096;
}

std::shared_ptr<const std::string> ReadStandardInput(std::size_t limit, MessageSink& messages) {
    auto bytes = std::make_shared<std::string>();
    constexpr std::size_t kChunk = 1 << 16;
    for (;;) {
        const std::size_t used = bytes->size();
        bytes->resize(used + kChunk);
        const ssize_t got = ::read(STDIN_FILENO, bytes->data() + used, kChunk);
        if (got < 0 && errno == EINTR) {
            bytes->resize(used);
            continue;
        }
        if (got < 0) {
            Refuse(messages, std::string("Cannot read standard input: ") + std::strerror(errno) +
                                 ". Nothing was written to the board.");
            return nullptr;
        }
        bytes->resize(used + static_cast<std::size_t>(got));
        if (bytes->size() > limit) {
            Refuse(messages, "Standard input holds more than " + std::to_string(limit) +
                                 " bytes, more than the memory takes even as an image file. "
                                 "Nothing was written to the board.");
            return nullptr;
        }
        if (got == 0) {
            return bytes;
        }
    }
}

} // namespace tessary::cli
