#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace tessary {

// The file a load reads, as raw bytes: a file on disk, or bytes read already (standard input).
class InputFile {
  public:
    InputFile() = default;
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // The most read from a pipe or a device: the text of an image file of the largest memory.
    static constexpr std::size_t kStreamLimit = 3 * (std::size_t{1} << 24) + 4096;

    // Opens the file for reading; a directory is not a file that can be loaded. A pipe or a device
    // is read whole here (false when it holds more than kStreamLimit bytes).
    bool Open(const std::string& path);
    // Reads `bytes` as the file.
    void OpenBytes(std::shared_ptr<const std::string> bytes);
    // The size, from the end position; reading starts at the beginning again afterwards. False
    // when the file cannot be positioned (a pipe).
    bool Size(int64_t& size);
    // Positions the next read; a position past the end makes the reads come up short.
    bool Seek(int64_t offset);
    // Reads up to count bytes; fewer only at the end of the file or on an error.
    int32_t Read(uint8_t* buffer, int32_t count);
    // A Read came up short because reading failed, not because the file ended.
    bool ReadFailed() const { return readFailed_; }
    // Reads everything from the current position to the end; false on a read error.
    bool ReadAll(std::string& text);
    // Why the last call that failed did: the file's name and the system's reason, taken when it
    // failed ("cannot read \"/media/fw.bin\": Input/output error").
    const std::string& Cause() const { return cause_; }

  private:
    bool Fail(const char* action, int error);

    int fd_ = -1;
    std::shared_ptr<const std::string> bytes_;
    int64_t position_ = 0; // in bytes_
    bool readFailed_ = false;
    std::string path_;
    std::string cause_;
};

} // namespace tessary
