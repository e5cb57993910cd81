#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace tessary::image {

// A text file's lines, one after the other, without their line ends ("\n" or "\r\n") and without
// trailing blanks, counted from 1. A line stays valid until the next one is asked for.
class LineSource {
  public:
    virtual ~LineSource() = default;
    virtual bool Next(std::string_view& line) = 0;
    int64_t Number() const { return number_; }

  protected:
    // The line found next, trimmed and counted.
    void Found(std::string_view& line);

  private:
    int64_t number_ = 0;
};

// The lines of a text held whole in memory.
class LineCursor final : public LineSource {
  public:
    explicit LineCursor(std::string_view text) : rest_(text) {}
    bool Next(std::string_view& line) override;

  private:
    std::string_view rest_;
};

// The lines of a text read piece by piece into one buffer that is used again and again, so that a
// file of any size is read in little memory. A line longer than the buffer makes it grow.
class ChunkedLines final : public LineSource {
  public:
    // Reads up to size bytes into buffer: how many, 0 at the end, negative on an error (which
    // ends the lines as the end would; the caller knows it from its reader).
    using ReadFunction = std::function<std::ptrdiff_t(char* buffer, std::size_t size)>;

    explicit ChunkedLines(ReadFunction read, std::size_t bufferSize = std::size_t{1} << 18);
    bool Next(std::string_view& line) override;

  private:
    // Moves what is left to the front and reads more after it; false at the end.
    bool Refill();

    ReadFunction read_;
    std::vector<char> buffer_;
    std::size_t begin_ = 0; // what is not yet handed out: buffer_[begin_, end_)
    std::size_t end_ = 0;
    bool atEnd_ = false;
};

} // namespace tessary::image
