#include "LoadEngine.h"

#include "InputFile.h"
#include "MemoryController.h"
#include "OperationSupport.h"
#include "Sinks.h"
#include "StringTable.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <vector>

namespace tessary {
namespace {

// The length a load moves: the typed one, or the rest of the file after the offset.
bool ResolveLength(const LoadRequest& request, InputFile& file, const LoadPageTexts& texts,
                   MessageSink& messages, int32_t& length) {
    length = request.length;
    if (length != kLengthToEndOfFile) {
        return true;
    }
    int64_t size = 0;
    if (!file.Size(size)) {
        messages.ShowMessage("Error accessing input file", texts.caption, MessageIcon::Error, true);
        return false;
    }
    const int64_t rest = size - std::max<int64_t>(request.fileOffset, 0);
    if (rest < 0 || rest > INT32_MAX) {
        return false; // an offset past the end, or more than a load can count
    }
    length = static_cast<int32_t>(rest);
    return true;
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

// Bytes written (and, with verify, compared) go to moved as the blocks complete.
bool TransferBlocks(const LoadRequest& request, int32_t length, InputFile& file, LoadTarget& target,
                    MemoryController& controller, StatusSink& status, MessageSink& messages,
                    int32_t& moved) {
    std::vector<uint8_t> block(TransferBlockSize);
    std::vector<uint8_t> readBack(request.verify ? TransferBlockSize : 0);
    auto address = static_cast<uint32_t>(request.startAddress);
    int32_t remaining = length;
    for (int32_t number = 1; remaining > 0; ++number) {
        if (controller.CancelRequested()) {
            return false;
        }
        const int32_t count = std::min(remaining, TransferBlockSize);
        remaining -= count;
        if (file.Read(block.data(), count) != count) {
            return false;
        }
        status.SetStatusText(WithNumber("Loading block: ", number));
        // Read back as it is written where the line carries both at once, else block by block.
        const bool interleaved = request.verify && controller.InterleavesReadBack();
        const bool written =
            interleaved
                ? target.WriteAndReadBack(controller, address, block.data(), readBack.data(), count)
                : target.WriteBlock(controller, address, block.data(), count);
        if (!written) {
            return false;
        }
        if (request.verify) {
            if ((!interleaved && !target.ReadBack(controller, address, readBack.data(), count)) ||
                controller.CancelRequested()) {
                return false;
            }
            if (std::memcmp(block.data(), readBack.data(), static_cast<std::size_t>(count)) != 0) {
                ShowStringTableError(
                    messages, kStrVerifyFailed,
                    DescribeMismatch(address, block.data(), readBack.data(), count));
                return false;
            }
        }
        address += static_cast<uint32_t>(count);
        moved = length - remaining;
        status.ReportProgress(length - remaining, length);
    }
    return true;
}

// Everything between building the controller and the final status text. The file is closed and
// the controller torn down when this returns, whatever the outcome.
bool LoadWithController(const Session& session, const LoadRequest& request, LoadTarget& target,
                        MemoryController& controller, int32_t& length, int32_t& moved,
                        StatusSink& status, MessageSink& messages) {
    const LoadPageTexts& texts = target.Texts();
    InputFile file;
    ControllerTeardown teardown(controller);
    if (!file.Open(request.fileName)) {
        messages.ShowMessage("Unable to open specified file.", texts.caption, MessageIcon::Error,
                             true);
        return false;
    }
    if (!ResolveLength(request, file, texts, messages, length) ||
        !target.AcceptRange(request, length, messages)) {
        return false;
    }
    if (!controller.Connect(session.deviceName.c_str())) {
        messages.ShowMessageWithCause("Unable to connect to target board", texts.caption,
                                      MessageIcon::Error, true, controller.ConnectFailureText());
        return false;
    }
    const bool loaded =
        target.Prepare(controller, request, length, status, messages) &&
        (request.fileOffset <= 0 || file.Seek(request.fileOffset)) &&
        TransferBlocks(request, length, file, target, controller, status, messages, moved);
    if (!loaded && controller.CancelRequested()) {
        target.Stop(controller);
    }
    return loaded;
}

} // namespace

bool RunLoad(const Session& session, const LoadRequest& request, LoadTarget& target,
             StatusSink& status, MessageSink& messages, const CancelToken& cancel) {
    ProgressScope progress(status);
    const LoadPageTexts& texts = target.Texts();
    MemoryController controller(session, cancel);
    if (!controller.CreatePort(&messages)) {
        messages.ShowMessage("Out of memory", texts.caption, MessageIcon::Error, true);
        return false;
    }
    int32_t length = request.length;
    int32_t moved = 0;
    const bool loaded =
        LoadWithController(session, request, target, controller, length, moved, status, messages);
    if (!loaded && cancel.Cancelled()) {
        status.SetStatusText(CancelledLoadText(moved, length));
        return false;
    }
    status.SetStatusText(loaded ? WithNumber(texts.completePrefix, length) : texts.errorStatus);
    return loaded;
}

} // namespace tessary
