#include "Operations.h"

#include "BlockList.h"
#include "CliNumber.h"
#include "EraseFlash.h"
#include "FlashGeometry.h"
#include "FormFields.h"
#include "LoadOperations.h"
#include "MemoryConfigurations.h"
#include "QuoteText.h"
#include "RamLimit.h"
#include "Refuse.h"
#include "Sinks.h"
#include "StandardStreams.h"
#include "StoreOperations.h"

namespace tessary::cli {
namespace {

// A page's field holds at most 259 characters and cuts the rest; on the command line a longer
// name would silently name another file.
bool FileNameFits(const Request& request, MessageSink& messages) {
    if (request.file.size() <= kFileNameMaxChars) {
        return true;
    }
    Refuse(messages,
           "The file name is longer than " + std::to_string(kFileNameMaxChars) + " characters.");
    return false;
}

// The format --format names (its check has made the name lower case); nothing without it.
std::optional<image::ImageFormat> FormatOf(const Request& request) {
    return image::FormatNamed(request.format);
}

// A number option as the page's field would hold it: one left out is the empty field (its
// default), a strict command-line number becomes a text the page reads back unchanged. Refused
// otherwise, an empty text too.
std::optional<std::string> FieldText(const std::optional<std::string>& text, const char* option,
                                     MessageSink& messages) {
    if (!text) {
        return std::string();
    }
    const CliNumber number = ParseCliNumber(*text);
    if (!number.value) {
        Refuse(messages, std::string("Invalid ") + option + " '" + QuoteForMessage(*text) +
                             "': it " + number.problem + ".");
        return std::nullopt;
    }
    return PageText(*number.value);
}

// The address, offset and length texts, checked strictly; false when one was refused.
bool RangeTexts(const Request& request, std::string& address, std::string& offset,
                std::string& length, MessageSink& messages) {
    const std::optional<std::string> a = FieldText(request.address, "--address", messages);
    if (!a) {
        return false;
    }
    const std::optional<std::string> o = FieldText(request.offset, "--offset", messages);
    if (!o) {
        return false;
    }
    const std::optional<std::string> l = FieldText(request.length, "--length", messages);
    if (!l) {
        return false;
    }
    address = *a;
    offset = *o;
    length = *l;
    return true;
}

OutputMode ModeNamed(const std::string& name) {
    if (name == "append") {
        return OutputMode::Append;
    }
    return name == "overwrite" ? OutputMode::Overwrite : OutputMode::Replace;
}

PreparedOperation PrepareLoad(const Request& request, const Session& session,
                              MessageSink& messages) {
    if (!FileNameFits(request, messages)) {
        return {};
    }
    std::string address, offset, length;
    if (!RangeTexts(request, address, offset, length, messages)) {
        return {};
    }
    LoadForm form{request.file,
                  address,
                  offset,
                  length,
                  !request.noVerify,
                  !request.noErase,
                  !request.noPreserve,
                  FormatOf(request),
                  !request.noSkip,
                  request.verify == "readback"};
    const bool ram = request.command == Command::LoadRam;
    std::optional<LoadRequest> load =
        ram ? ValidateLoadRamForm(form, messages)
            : ValidateLoadFlashForm(form, session.memoryConfiguration, messages);
    if (!load) {
        return {};
    }
    if (IsStandardStream(request.file)) {
        const std::size_t memory = ram ? static_cast<std::size_t>(kRamAddressSpace)
                                       : FlashSize(session.memoryConfiguration);
        load->contents = ReadStandardInput(StandardInputLimit(memory), messages);
        if (!load->contents) {
            return {};
        }
    }
    return [load = *load, ram](const Session& run, StatusSink& status, MessageSink& sink,
                               const CancelToken& cancel, RunFacts& facts) {
        const LoadOutcome outcome = ram ? RunLoadRam(run, load, status, sink, cancel)
                                        : RunLoadFlash(run, load, status, sink, cancel);
        facts.matched = outcome.matched;
        if (!outcome.fileProblem.empty()) {
            Refuse(sink, outcome.fileProblem); // the page shows only its error status for it
        }
        switch (outcome.result) {
        case LoadResult::Loaded:
            return RunResult::Succeeded;
        case LoadResult::Refused:
            return RunResult::Refused;
        case LoadResult::Failed:
            break;
        }
        return RunResult::Failed;
    };
}

RunResult ResultOf(bool succeeded) {
    return succeeded ? RunResult::Succeeded : RunResult::Failed;
}

PreparedOperation PrepareStore(const Request& request, const Session& session,
                               MessageSink& messages) {
    if (!FileNameFits(request, messages)) {
        return {};
    }
    const OutputMode mode = ModeNamed(request.mode);
    if (request.offset && mode != OutputMode::Overwrite) {
        Refuse(messages, "--offset applies to --mode overwrite only.");
        return {};
    }
    const bool toStandardOutput = IsStandardStream(request.file);
    if (toStandardOutput && mode == OutputMode::Overwrite) {
        Refuse(messages, "Standard output ('-') has no offset to overwrite at: use --mode replace "
                         "or append, or name a file.");
        return {};
    }
    std::string address, offset, length;
    if (!RangeTexts(request, address, offset, length, messages)) {
        return {};
    }
    StoreForm form{request.file, address, offset, length, mode, FormatOf(request)};
    const bool ram = request.command == Command::StoreRam;
    std::optional<StoreRequest> store =
        ValidateForm(form, ram ? kStoreRamTexts : kStoreFlashTexts, messages);
    if (!store || !AcceptStoreRange(*store, !ram, session.memoryConfiguration, messages)) {
        return {};
    }
    store->toStandardOutput = toStandardOutput;
    return [store = *store, ram](const Session& run, StatusSink& status, MessageSink& sink,
                                 const CancelToken& cancel, RunFacts&) {
        return ResultOf(ram ? StoreRamToFile(run, store, status, sink, cancel)
                            : StoreFlashToFile(run, store, status, sink, cancel));
    };
}

PreparedOperation PrepareErase(const Request& request, const Session& session,
                               MessageSink& messages) {
    std::optional<std::vector<int32_t>> blocks = SelectBlocks(request, session, messages);
    if (!blocks) {
        return {};
    }
    return [blocks = std::move(*blocks)](const Session& run, StatusSink& status, MessageSink& sink,
                                         const CancelToken& cancel, RunFacts&) {
        return ResultOf(EraseFlashBlocks(run, blocks, status, sink, cancel));
    };
}

} // namespace

PreparedOperation PrepareOperation(const Request& request, const Session& session,
                                   MessageSink& messages) {
    switch (request.command) {
    case Command::LoadRam:
    case Command::LoadFlash:
        return PrepareLoad(request, session, messages);
    case Command::StoreRam:
    case Command::StoreFlash:
        return PrepareStore(request, session, messages);
    case Command::Erase:
        return PrepareErase(request, session, messages);
    case Command::Devices:
    case Command::Ports:
    case Command::Probe:
    case Command::BlankCheck:
        break;
    }
    return {};
}

std::optional<std::vector<int32_t>> SelectBlocks(const Request& request, const Session& session,
                                                 MessageSink& messages) {
    if (!request.blocks) {
        return AllFlashBlocks(session.memoryConfiguration);
    }
    const int32_t count = BlockCount(session.memoryConfiguration);
    BlockList list = ParseBlockList(*request.blocks, count);
    if (list.problem == BlockList::Problem::NotAList) {
        Refuse(messages, "Invalid block list '" + QuoteForMessage(*request.blocks) +
                             "': give block indexes such as 0,3-5.");
        return std::nullopt;
    }
    if (list.problem == BlockList::Problem::PastTheTable) {
        Refuse(messages, "Block " + std::to_string(list.pastTheTable) + " is not in the " +
                             ConfigurationOfValue(session.memoryConfiguration).label +
                             " configuration, whose blocks are 0 to " + std::to_string(count - 1) +
                             ".");
        return std::nullopt;
    }
    return std::move(list.indexes);
}

} // namespace tessary::cli
