#include "TelnetStream.h"

#include "LineAllowance.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace tessary {

std::unique_ptr<TelnetStream> TelnetStream::Open(std::unique_ptr<TcpStream> connection,
                                                 uint32_t baud) {
    std::unique_ptr<TelnetStream> stream(new TelnetStream(std::move(connection)));
    const std::vector<uint8_t> opening = stream->telnet_.Open(baud);
    if (!stream->connection_->WriteAll(opening.data(), opening.size(),
                                       allowance::Deadline(Clock::now(), opening.size()))) {
        const int error = errno;
        stream.reset();
        errno = error;
    }
    return stream;
}

bool TelnetStream::WriteAll(const uint8_t* bytes, size_t count, Clock::time_point deadline) {
    std::vector<uint8_t> escaped;
    TelnetComPort::Escape(bytes, count, escaped);
    return connection_->WriteAll(escaped.data(), escaped.size(), deadline);
}

ssize_t TelnetStream::Read(uint8_t* buffer, size_t count) {
    while (decodedAt_ == decoded_.size()) {
        decoded_.clear();
        decodedAt_ = 0;
        uint8_t raw[512];
        const ssize_t n = connection_->Read(raw, sizeof(raw));
        if (n < 0) {
            return n;
        }
        std::vector<uint8_t> answers;
        telnet_.Take(raw, static_cast<size_t>(n), decoded_, answers);
        if (!answers.empty() &&
            !connection_->WriteAll(answers.data(), answers.size(),
                                   allowance::Deadline(Clock::now(), answers.size()))) {
            failed_ = true;
            return -1;
        }
    }
    const size_t n = std::min(count, decoded_.size() - decodedAt_);
    std::memcpy(buffer, decoded_.data() + decodedAt_, n);
    decodedAt_ += n;
    return static_cast<ssize_t>(n);
}

ByteStream::Readiness TelnetStream::WaitReadable(int timeoutMs) {
    if (decodedAt_ < decoded_.size()) {
        return Readiness::Ready;
    }
    return connection_->WaitReadable(timeoutMs);
}

} // namespace tessary
