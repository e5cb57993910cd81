#include "Connection.h"
#include "ImageWriter.h"
#include "MemoryController.h"
#include "OperationSupport.h"
#include "OutputFile.h"
#include "QuoteText.h"
#include "Sinks.h"
#include "StoreOperations.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tessary {
namespace {

constexpr const char* kWriteFailed = "Unable to write to specified file.";

enum class StoreResult { Stored, Failed, WriteFailed, Cancelled };

// How the blocks read reach the file: as they are, or as the records of a text format that carry
// their addresses.
class FileFormatter {
  public:
    explicit FileFormatter(const StoreRequest& request) {
        if (request.format == image::ImageFormat::IntelHex) {
            writer_ = image::MakeIntelHexWriter();
        } else if (request.format == image::ImageFormat::SRecord) {
            writer_ = image::MakeSRecordWriter(request.width);
        }
    }

    bool Begin(OutputFile& file) {
        if (!writer_) {
            return true;
        }
        writer_->Begin(text_);
        return Flush(file);
    }
    bool Data(OutputFile& file, uint32_t address, const uint8_t* data, int32_t count) {
        if (!writer_) {
            return file.Write(data, static_cast<std::size_t>(count));
        }
        writer_->Data(address, {data, static_cast<std::size_t>(count)}, text_);
        return Flush(file);
    }
    bool End(OutputFile& file) {
        if (!writer_) {
            return true;
        }
        writer_->End(std::nullopt, text_);
        return Flush(file);
    }

  private:
    bool Flush(OutputFile& file) {
        const bool written =
            file.Write(reinterpret_cast<const uint8_t*>(text_.data()), text_.size());
        text_.clear();
        return written;
    }

    std::unique_ptr<image::ImageWriter> writer_;
    std::string text_;
};

StoreResult Transfer(const StoreRequest& request, StoreSource& source, Connection& connection,
                     OutputFile& file, std::vector<uint8_t>& block, StatusSink& status,
                     MessageSink& messages) {
    if (!connection.Connect(PageConnectTexts(source.Texts().caption), messages)) {
        return StoreResult::Failed;
    }
    MemoryController& controller = connection.Controller();
    if (!source.FitsBoard(controller, messages)) {
        return StoreResult::Failed;
    }
    auto address = static_cast<uint32_t>(request.startAddress);
    source.Prepare(controller, address);
    FileFormatter formatter(request);
    if (!formatter.Begin(file)) {
        return StoreResult::WriteFailed;
    }
    int32_t remaining = request.length;
    for (int32_t number = 1; remaining > 0; ++number) {
        if (controller.CancelRequested()) {
            return StoreResult::Cancelled;
        }
        const int32_t count = std::min(remaining, TransferBlockSize);
        remaining -= count;
        status.SetStatusText(WithNumber("Reading block: ", number));
        if (!source.ReadBlock(controller, address, block.data(), count)) {
            if (controller.CancelRequested()) {
                return StoreResult::Cancelled;
            }
            ReportTransferFailure(messages, controller, source.Texts().errorStatus,
                                  source.Texts().caption);
            return StoreResult::Failed;
        }
        if (!formatter.Data(file, address, block.data(), count)) {
            return StoreResult::WriteFailed;
        }
        address += static_cast<uint32_t>(count);
        status.ReportProgress(request.length - remaining, request.length);
    }
    return formatter.End(file) ? StoreResult::Stored : StoreResult::WriteFailed;
}

} // namespace

bool StoreToFile(const Session& session, const StoreRequest& request, StoreSource& source,
                 StatusSink& status, MessageSink& messages, const CancelToken& cancel) {
    ProgressScope progress(status);
    const StorePageTexts& texts = source.Texts();
    std::vector<uint8_t> block(TransferBlockSize);
    if (!AcceptStoreRange(request, source.Flash(), session.memoryConfiguration, messages)) {
        return false;
    }
    OutputFile file;
    OutputFile::Opened opened = OutputFile::Opened::Yes;
    if (request.toStandardOutput) {
        file.OpenStandardOutput(request.length);
    } else {
        opened = file.Open(request.path, request.mode, request.fileOffset, request.length,
                           block.data(), block.size());
    }
    if (opened == OutputFile::Opened::Busy) {
        messages.ShowMessage("Another store is writing to " + QuoteForMessage(request.path, 259) +
                                 "; try again when it has finished.",
                             texts.openFailCaption, MessageIcon::None, true);
        return false;
    }
    if (opened != OutputFile::Opened::Yes) {
        messages.ShowMessageWithCause("Unable to open specified file.", texts.openFailCaption,
                                      MessageIcon::None, true, file.Cause());
        return false;
    }
    Connection connection(session, cancel);
    if (!connection.OpenPort(PageConnectTexts(texts.caption), messages)) {
        file.Abandon();
        return false;
    }
    StoreResult result = Transfer(request, source, connection, file, block, status, messages);
    if (result == StoreResult::Stored) {
        if (!file.Commit()) {
            result = StoreResult::WriteFailed;
        }
    } else {
        file.Abandon();
    }
    if (result == StoreResult::WriteFailed) {
        messages.ShowMessageWithCause(kWriteFailed, texts.caption, MessageIcon::Error, true,
                                      file.Cause());
    }
    if (result == StoreResult::Cancelled) {
        status.SetStatusText(kCancelledText);
        return false;
    }
    status.SetStatusText(result == StoreResult::Stored
                             ? WithNumber(texts.completePrefix, request.length)
                             : texts.errorStatus);
    return result == StoreResult::Stored;
}

} // namespace tessary
