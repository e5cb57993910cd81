#pragma once

#include "StoreForm.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tessary {

// The file a store writes, written so that a failed store never destroys what the file held, and
// locked (flock) for the whole store so that two stores to one file never mix their bytes.
//
// The data is kept in memory until the board has delivered all of it (at most kBufferLimit
// bytes, the largest memory a board has): a store that fails, is cancelled or is killed while it
// reads the board has not touched the file at all. Commit then writes it. Where that changes
// nothing else about the file (a regular file of ours with one name, in a directory we may write,
// Replace and Overwrite), the new contents go to a temporary file beside the target
// (.tessary-PID-N.tmp) that is renamed into place. Everywhere else - Append, hard links, another
// owner or group, a directory we may not write, a symbolic link (dangling ones included) - the
// data is written into the file itself, after reserving the disk space it needs. A target that is
// not a regular file (a terminal, a pipe, a device) is written directly as the data arrives, as
// nothing of it could be kept anyway. Temporary files left by processes that no longer run (a
// store killed while committing) are removed beside the target when the next store opens.
class OutputFile {
  public:
    enum class Opened { Yes, Failed, Busy };

    // The most a store keeps in memory: the largest range a board has (16 MB of RAM or Flash).
    static constexpr std::size_t kBufferLimit = std::size_t{1} << 24;

    OutputFile() = default;
    ~OutputFile(); // abandons an uncommitted file
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Prepares the file for a store of `length` bytes in the mode; Overwrite positions the data at
    // offset. Busy when another store holds the file.
    Opened Open(const std::string& path, OutputMode mode, int32_t offset, int32_t length,
                uint8_t* scratch, std::size_t scratchSize);
    // A store to the process's standard output: the data is kept in memory like a file's and
    // written out by Commit, so a failed store writes nothing at all.
    void OpenStandardOutput(int32_t length);
    // Takes every byte or fails (disk full, I/O error).
    bool Write(const uint8_t* data, std::size_t count);
    // Makes the written data the file's, flushed to the disk.
    bool Commit();
    // Leaves the target as it was before Open.
    void Abandon();
    // Why the last call that failed did: the file's name and the system's reason, taken when it
    // failed ("cannot write \"/media/fw.bin\": No space left on device").
    const std::string& Cause() const { return cause_; }

  private:
    enum class Kind { None, Direct, Buffered, StandardOutput };

    bool OpenTemporary();
    bool CommitTemporary();
    bool CommitInPlace();
    void Unlock();
    // Keeps the cause; the callers read errno in their arguments, which allocate nothing.
    bool Fail(std::string_view action, const std::string& path, int error);
    // Abandons the store after keeping the cause.
    Opened FailOpen(std::string_view action, int error);

    Kind kind_ = Kind::None;
    OutputMode mode_ = OutputMode::Replace;
    int fd_ = -1;   // the target (Direct) or the temporary file (while committing)
    int lock_ = -1; // the target, locked for the whole store
    std::string target_;
    std::string temporary_;
    int64_t offset_ = 0;
    std::vector<uint8_t> data_; // Buffered, StandardOutput
    bool rename_ = false;
    uint8_t* scratch_ = nullptr;
    std::size_t scratchSize_ = 0;
    std::string cause_;
};

} // namespace tessary
