#include "LineSource.h"

#include <cstring>
#include <utility>

namespace tessary::image {

void LineSource::Found(std::string_view& line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) {
        line.remove_suffix(1);
    }
    ++number_;
}

bool LineCursor::Next(std::string_view& line) {
    if (rest_.empty()) {
        return false;
    }
    const void* newline = std::memchr(rest_.data(), '\n', rest_.size());
    const std::size_t length =
        newline != nullptr
            ? static_cast<std::size_t>(static_cast<const char*>(newline) - rest_.data())
            : rest_.size();
    line = rest_.substr(0, length);
    rest_.remove_prefix(newline != nullptr ? length + 1 : length);
    Found(line);
    return true;
}

ChunkedLines::ChunkedLines(ReadFunction read, std::size_t bufferSize)
    : read_(std::move(read)), buffer_(bufferSize) {}

bool ChunkedLines::Refill() {
    if (atEnd_) {
        return false;
    }
    const std::size_t left = end_ - begin_;
    if (left == buffer_.size()) {
        buffer_.resize(2 * buffer_.size()); // one line fills the buffer
    } else {
        std::memmove(buffer_.data(), buffer_.data() + begin_, left);
    }
    begin_ = 0;
    end_ = left;
    const std::ptrdiff_t got = read_(buffer_.data() + end_, buffer_.size() - end_);
    if (got <= 0) {
        atEnd_ = true;
        return false;
    }
    end_ += static_cast<std::size_t>(got);
    return true;
}

bool ChunkedLines::Next(std::string_view& line) {
    std::size_t searched = begin_; // no line end before this
    for (;;) {
        const void* newline = std::memchr(buffer_.data() + searched, '\n', end_ - searched);
        if (newline != nullptr) {
            const auto at =
                static_cast<std::size_t>(static_cast<const char*>(newline) - buffer_.data());
            line = std::string_view(buffer_.data() + begin_, at - begin_);
            begin_ = at + 1;
            Found(line);
            return true;
        }
        const std::size_t scanned = end_ - begin_;
        if (!Refill()) {
            if (begin_ == end_) {
                return false;
            }
            line = std::string_view(buffer_.data() + begin_, end_ - begin_); // no line end
            begin_ = end_;
            Found(line);
            return true;
        }
        searched = scanned; // the text moved to the front of the buffer
    }
}

} // namespace tessary::image
