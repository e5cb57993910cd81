#include "LoadEngine.h"

#include "BinarySource.h"
#include "BulkMemory.h"
#include "Connection.h"
#include "Crc32.h"
#include "FormFields.h"
#include "ImageSource.h"
#include "ImageText.h"
#include "InputFile.h"
#include "MemoryController.h"
#include "OperationSupport.h"
#include "QuoteText.h"
#include "Sinks.h"
#include "StringTable.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace tessary {
namespace {

constexpr const char* kAccessError = "Error accessing input file";

// A failure of the file's, with the system's reason as the cause.
void ShowFileError(MessageSink& messages, const char* text, const LoadPageTexts& texts,
                   const InputFile& file) {
    messages.ShowMessageWithCause(text, texts.caption, MessageIcon::Error, true, file.Cause());
}

// The file as messages name it: its path in quotes, or standard input.
std::string FileNamed(const LoadRequest& request) {
    return request.contents ? std::string("standard input")
                            : "'" + QuoteForMessage(request.fileName, kFileNameMaxChars) + "'";
}

// The length a raw binary load moves: the typed one, or the rest of the file after the offset.
// An offset past the end, or more than a load can count, refuses the slice (why in problem).
bool ResolveLength(const LoadRequest& request, InputFile& file, const LoadPageTexts& texts,
                   MessageSink& messages, int32_t& length, std::string& problem) {
    length = request.length;
    if (length != kLengthToEndOfFile) {
        return true;
    }
    int64_t size = 0;
    if (!file.Size(size)) {
        ShowFileError(messages, kAccessError, texts, file);
        return false;
    }
    const int64_t offset = std::max<int64_t>(request.fileOffset, 0);
    const int64_t rest = size - offset;
    if (rest < 0) {
        problem = "The file offset " + std::to_string(offset) + " lies past the end of " +
                  FileNamed(request) + ", which holds " + std::to_string(size) +
                  " bytes; nothing was written to the board.";
        return false;
    }
    if (rest > INT32_MAX) {
        problem = FileNamed(request) + " holds " + std::to_string(size) +
                  " bytes, more than a load can move.";
        return false;
    }
    length = static_cast<int32_t>(rest);
    return true;
}

// Reads the slice of a raw binary file whole; false, with why in problem, when the file ends
// before the slice does (or a read fails, shown as an access error).
bool TakeSlice(const LoadRequest& request, InputFile& file, BinarySource& source,
               const LoadPageTexts& texts, MessageSink& messages, std::string& problem) {
    const int64_t offset = std::max<int64_t>(request.fileOffset, 0);
    const int64_t length = source.Ranges().front().length;
    const int64_t got = source.Take(file, offset);
    if (got >= length) {
        return true;
    }
    if (file.ReadFailed()) {
        ShowFileError(messages, kAccessError, texts, file);
        return false;
    }
    int64_t size = offset + got; // where the read ended; the file may have shrunk below it since
    if (!file.Size(size) || size > offset + got) {
        size = offset + got;
    }
    problem = FileNamed(request) + " holds " + std::to_string(size) + " bytes, fewer than the " +
              std::to_string(offset + length) + " that the file offset " + std::to_string(offset) +
              " and the length " + std::to_string(length) +
              " need; nothing was written to the board.";
    return false;
}

// Reads an Intel HEX or S-record file whole and selects the runs the request asks for. A bad
// record is refused here, naming its line: nothing has contacted the board yet. The text goes
// through a small buffer, piece by piece; only the image's bytes are kept.
std::unique_ptr<LoadSource> ReadImageFile(const LoadRequest& request, image::ImageFormat format,
                                          InputFile& file, const LoadPageTexts& texts,
                                          MessageSink& messages) {
    image::ChunkedLines lines([&file](char* buffer, std::size_t size) {
        return static_cast<std::ptrdiff_t>(
            file.Read(reinterpret_cast<uint8_t*>(buffer),
                      static_cast<int32_t>(std::min<std::size_t>(size, INT32_MAX))));
    });
    image::Image image(BulkMemory());
    image::ReadError error;
    const bool read = image::ReadImageText(lines, format, image, error);
    if (file.ReadFailed()) {
        ShowFileError(messages, kAccessError, texts, file);
        return nullptr;
    }
    if (!read) {
        const char* kind = format == image::ImageFormat::IntelHex ? "Intel HEX" : "S-record";
        messages.ShowMessage(std::string("The file is not a valid ") + kind +
                                 " file: " + error.text + ". Nothing was written to the board.",
                             texts.caption, MessageIcon::Error, true);
        return nullptr;
    }
    auto source = std::make_unique<ImageSource>();
    std::string why;
    if (!source->Select(std::move(image), request, why)) {
        messages.ShowMessage(why, texts.caption, MessageIcon::Error, true);
        return nullptr;
    }
    return source;
}

// "first difference at 0x012345: wrote 0x5A, read 0x5B".
std::string DescribeMismatch(uint32_t address, const uint8_t* written, const uint8_t* read,
                             int32_t count) {
    const auto end = written + count;
    const auto [w, r] = std::mismatch(written, end, read);
    char text[96];
    std::snprintf(text, sizeof(text), "first difference at 0x%06X: wrote 0x%02X, read 0x%02X",
                  address + static_cast<uint32_t>(w - written), *w, *r);
    return text;
}

// "the board's checksum of the 8192 bytes at 0x012000 is 0x1234ABCD, but they read back as
// written (CRC 0x89ABCDEF)".
std::string DescribeChecksumDisagreement(uint32_t address, int32_t count, uint32_t board,
                                         uint32_t data) {
    char text[320];
    std::snprintf(text, sizeof(text),
                  "the board's checksum of the %d bytes at 0x%06X is 0x%08X, but they read back "
                  "as written (CRC 0x%08X): the board's checksum disagrees with its own data, so "
                  "nothing can be called verified; load again with read-back verify",
                  count, address, board, data);
    return text;
}

// Verifies a written block by the board's checksum. A CRC that differs has the block read back:
// a byte that differs is reported as by a read-back verify; a block that reads back as written
// means the checksum is wrong, which fails the load too.
bool ChecksumVerify(LoadTarget& target, MemoryController& controller, uint32_t address,
                    const uint8_t* block, uint8_t* readBack, int32_t count, MessageSink& messages) {
    uint32_t crc = 0;
    if (!target.Checksum(controller, address, count, crc)) {
        if (!controller.CancelRequested()) {
            ReportTransferFailure(messages, controller, target.Texts().errorStatus,
                                  target.Texts().caption);
        }
        return false;
    }
    const uint32_t expected = Crc32Of(block, static_cast<std::size_t>(count));
    if (crc == expected) {
        return true;
    }
    if (!target.ReadBack(controller, address, readBack, count)) {
        if (!controller.CancelRequested()) {
            ReportTransferFailure(messages, controller, target.Texts().errorStatus,
                                  target.Texts().caption);
        }
        return false;
    }
    ShowStringTableError(messages, kStrVerifyFailed,
                         std::memcmp(block, readBack, static_cast<std::size_t>(count)) != 0
                             ? DescribeMismatch(address, block, readBack, count)
                             : DescribeChecksumDisagreement(address, count, crc, expected));
    return false;
}

// Bytes written (and, with verify, compared) go to moved as the blocks complete; the spans are
// the parts of the source's ranges that are written.
bool TransferBlocks(const LoadRequest& request, LoadSource& source,
                    const std::vector<LoadSpan>& spans, LoadTarget& target,
                    MemoryController& controller, StatusSink& status, MessageSink& messages,
                    int64_t& moved) {
    std::vector<uint8_t> block(TransferBlockSize);
    std::vector<uint8_t> readBack(request.verify ? TransferBlockSize : 0);
    const std::vector<LoadRange>& ranges = source.Ranges();
    int64_t total = 0;
    for (const LoadSpan& span : spans) {
        total += span.length;
    }
    const bool byChecksum =
        request.verify && !request.verifyReadBack && controller.OffersChecksum();
    // Read back as it is written where the line carries both at once, else block by block.
    const bool interleaved = request.verify && !byChecksum && controller.InterleavesReadBack();
    int32_t number = 1;
    for (const LoadSpan& span : spans) {
        for (int64_t done = 0; done < span.length; ++number) {
            if (controller.CancelRequested()) {
                return false;
            }
            const auto count =
                static_cast<int32_t>(std::min<int64_t>(span.length - done, TransferBlockSize));
            const int64_t offset = span.offset + done;
            const uint32_t address = ranges[span.index].address + static_cast<uint32_t>(offset);
            if (!source.Read(span.index, offset, block.data(), count)) {
                return false;
            }
            status.SetStatusText(WithNumber("Loading block: ", number));
            const bool written = interleaved
                                     ? target.WriteAndReadBack(controller, address, block.data(),
                                                               readBack.data(), count)
                                     : target.WriteBlock(controller, address, block.data(), count);
            if (!written || (request.verify && !interleaved && !byChecksum &&
                             !target.ReadBack(controller, address, readBack.data(), count))) {
                if (!controller.CancelRequested()) {
                    ReportTransferFailure(messages, controller, target.Texts().errorStatus,
                                          target.Texts().caption);
                }
                return false;
            }
            if (byChecksum && !ChecksumVerify(target, controller, address, block.data(),
                                              readBack.data(), count, messages)) {
                return false;
            }
            if (request.verify && !byChecksum) {
                if (controller.CancelRequested()) {
                    return false;
                }
                if (std::memcmp(block.data(), readBack.data(), static_cast<std::size_t>(count)) !=
                    0) {
                    ShowStringTableError(
                        messages, kStrVerifyFailed,
                        DescribeMismatch(address, block.data(), readBack.data(), count));
                    return false;
                }
            }
            done += count;
            moved += count;
            status.ReportProgress(moved, total);
        }
    }
    return true;
}

// Everything between building the port and the final status text. The file is closed when this
// returns, whatever the outcome.
LoadResult LoadThroughPort(const LoadRequest& request, LoadTarget& target, Connection& connection,
                           int32_t& length, int64_t& moved, StatusSink& status,
                           MessageSink& messages, std::string& fileProblem) {
    const LoadPageTexts& texts = target.Texts();
    InputFile file;
    if (request.contents) {
        file.OpenBytes(request.contents);
    } else if (!file.Open(request.fileName)) {
        ShowFileError(messages, "Unable to open specified file.", texts, file);
        return LoadResult::Failed;
    }
    // The format the request names, else the one the file's name gives.
    const image::ImageFormat format =
        request.format.value_or(image::DetectFormat(request.fileName));
    std::unique_ptr<LoadSource> source;
    if (format == image::ImageFormat::Binary) {
        if (!ResolveLength(request, file, texts, messages, length, fileProblem)) {
            return fileProblem.empty() ? LoadResult::Failed : LoadResult::Refused;
        }
        source =
            std::make_unique<BinarySource>(static_cast<uint32_t>(request.startAddress), length);
    } else {
        source = ReadImageFile(request, format, file, texts, messages);
        if (!source) {
            return LoadResult::Failed;
        }
        length = static_cast<int32_t>(TotalLength(source->Ranges()));
    }
    // The ranges are checked before a binary slice is read: a range the memory cannot hold is
    // never read into memory.
    if (!target.AcceptRanges(source->Ranges(), messages)) {
        return LoadResult::Refused;
    }
    if (format == image::ImageFormat::Binary &&
        !TakeSlice(request, file, static_cast<BinarySource&>(*source), texts, messages,
                   fileProblem)) {
        return fileProblem.empty() ? LoadResult::Failed : LoadResult::Refused;
    }
    if (!connection.Connect(PageConnectTexts(texts.caption), messages)) {
        return LoadResult::Failed;
    }
    MemoryController& controller = connection.Controller();
    bool loaded = target.Prepare(controller, request, *source, status, messages);
    if (loaded) {
        // What already matched is neither written nor counted: length is what the load writes.
        const std::vector<LoadSpan> spans = SpansOutside(source->Ranges(), target.Matched());
        length = 0;
        for (const LoadSpan& span : spans) {
            length += static_cast<int32_t>(span.length);
        }
        loaded =
            TransferBlocks(request, *source, spans, target, controller, status, messages, moved);
    }
    if (!loaded && controller.CancelRequested()) {
        target.Stop(controller);
    }
    return loaded ? LoadResult::Loaded : LoadResult::Failed;
}

} // namespace

LoadOutcome RunLoad(const Session& session, const LoadRequest& request, LoadTarget& target,
                    StatusSink& status, MessageSink& messages, const CancelToken& cancel) {
    ProgressScope progress(status);
    const LoadPageTexts& texts = target.Texts();
    Connection connection(session, cancel);
    if (!connection.OpenPort(PageConnectTexts(texts.caption), messages)) {
        return {};
    }
    int32_t length = request.length;
    int64_t moved = 0;
    LoadOutcome outcome;
    outcome.result = LoadThroughPort(request, target, connection, length, moved, status, messages,
                                     outcome.fileProblem);
    outcome.matched = target.MatchedCount();
    if (outcome.result == LoadResult::Failed && cancel.Cancelled()) {
        status.SetStatusText(CancelledLoadText(moved, length) + target.CancelNote());
        return outcome;
    }
    if (outcome.result != LoadResult::Loaded) {
        status.SetStatusText(texts.errorStatus);
        return outcome;
    }
    std::string complete = WithNumber(texts.completePrefix, length);
    if (outcome.matched) {
        complete += " (" + std::to_string(outcome.matched->matched) + " of " +
                    std::to_string(outcome.matched->blocks) + " blocks already matched)";
    }
    status.SetStatusText(complete);
    return outcome;
}

bool RunPageLoad(const Session& session, const LoadRequest& request, LoadTarget& target,
                 StatusSink& status, MessageSink& messages, const CancelToken& cancel) {
    const LoadOutcome outcome = RunLoad(session, request, target, status, messages, cancel);
    if (!outcome.fileProblem.empty()) {
        messages.ShowMessageWithCause(kAccessError, target.Texts().caption, MessageIcon::Error,
                                      true, outcome.fileProblem);
    }
    return outcome.result == LoadResult::Loaded;
}

} // namespace tessary
