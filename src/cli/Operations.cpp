#include "Operations.h"

#include "BlockList.h"
#include "Configurations.h"
#include "EraseFlash.h"
#include "FlashGeometry.h"
#include "FormFields.h"
#include "LoadOperations.h"
#include "Refuse.h"
#include "Sinks.h"
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
    LoadForm form{request.file,        request.address,   request.offset.value_or(""),
                  request.length,      !request.noVerify, !request.noErase,
                  !request.noPreserve, FormatOf(request)};
    if (request.command == Command::LoadRam) {
        const std::optional<LoadRequest> load = ValidateLoadRamForm(form, messages);
        if (!load) {
            return {};
        }
        return [load = *load](const Session& run, StatusSink& status, MessageSink& sink,
                              const CancelToken& cancel) {
            return LoadRamOperation(run, load, status, sink, cancel);
        };
    }
    const std::optional<LoadRequest> load =
        ValidateLoadFlashForm(form, session.memoryConfiguration, messages);
    if (!load) {
        return {};
    }
    return [load = *load](const Session& run, StatusSink& status, MessageSink& sink,
                          const CancelToken& cancel) {
        return LoadFlashOperation(run, load, status, sink, cancel);
    };
}

PreparedOperation PrepareStore(const Request& request, MessageSink& messages) {
    if (!FileNameFits(request, messages)) {
        return {};
    }
    const OutputMode mode = ModeNamed(request.mode);
    if (request.offset && mode != OutputMode::Overwrite) {
        Refuse(messages, "--offset applies to --mode overwrite only.");
        return {};
    }
    StoreForm form{request.file, request.address,  request.offset.value_or(""), request.length,
                   mode,         FormatOf(request)};
    const bool ram = request.command == Command::StoreRam;
    const std::optional<StoreRequest> store =
        ValidateForm(form, ram ? kStoreRamTexts : kStoreFlashTexts, messages);
    if (!store) {
        return {};
    }
    return [store = *store, ram](const Session& run, StatusSink& status, MessageSink& sink,
                                 const CancelToken& cancel) {
        return ram ? StoreRamToFile(run, store, status, sink, cancel)
                   : StoreFlashToFile(run, store, status, sink, cancel);
    };
}

PreparedOperation PrepareErase(const Request& request, const Session& session,
                               MessageSink& messages) {
    std::optional<std::vector<int32_t>> blocks = SelectBlocks(request, session, messages);
    if (!blocks) {
        return {};
    }
    return [blocks = std::move(*blocks)](const Session& run, StatusSink& status, MessageSink& sink,
                                         const CancelToken& cancel) {
        return EraseFlashBlocks(run, blocks, status, sink, cancel);
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
        return PrepareStore(request, messages);
    case Command::Erase:
        return PrepareErase(request, session, messages);
    case Command::Devices:
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
    const std::optional<std::vector<int32_t>> blocks = ParseBlockList(*request.blocks);
    if (!blocks) {
        Refuse(messages,
               "Invalid block list '" + *request.blocks + "': give block indexes such as 0,3-5.");
        return std::nullopt;
    }
    const int32_t count = BlockCount(session.memoryConfiguration);
    if (blocks->back() >= count) {
        Refuse(messages, "Block " + std::to_string(blocks->back()) + " is not in the " +
                             ConfigurationNamed(request.configuration).label +
                             " configuration, whose blocks are 0 to " + std::to_string(count - 1) +
                             ".");
        return std::nullopt;
    }
    return blocks;
}

} // namespace tessary::cli
