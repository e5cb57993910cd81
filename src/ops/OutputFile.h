#pragma once

#include "StoreForm.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace tessary {

// The file a store writes, written so that a failed store never destroys what the file held.
// Replace and Overwrite build the new contents in a temporary file beside the target and put it
// in the target's place only on Commit; Append remembers the old length and cuts the file back to
// it when the store is abandoned. A target that is not a regular file (a terminal, a pipe, a
// device) is written directly, as nothing of it could be kept anyway.
class OutputFile {
  public:
    OutputFile() = default;
    ~OutputFile(); // abandons an uncommitted file
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Prepares the file for the mode. Overwrite copies the old contents into the new file through
    // scratch (or inside the kernel) and positions the data at offset (a negative offset counts
    // as 0).
    bool Open(const std::string& path, OutputMode mode, int32_t offset, uint8_t* scratch,
              std::size_t scratchSize);
    // Writes every byte or fails (disk full, I/O error).
    bool Write(const uint8_t* data, std::size_t count);
    // Makes the written contents the file's: flushed to the disk and moved into place.
    bool Commit();
    // Leaves the target as it was before Open.
    void Abandon();

  private:
    enum class Kind { None, Direct, Appended, Temporary };

    bool OpenTemporary(const std::string& target, bool keepContents, uint8_t* scratch,
                       std::size_t scratchSize);
    bool CloseFile();

    Kind kind_ = Kind::None;
    int fd_ = -1;
    std::string target_;
    std::string temporary_;
    int64_t oldLength_ = 0;
};

} // namespace tessary
