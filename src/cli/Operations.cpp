#include "Operations.h"

#include "BlockList.h"
#include "EraseFlash.h"
#include "FlashGeometry.h"
#include "FormFields.h"
#include "LoadOperations.h"
#include "MemoryConfigurations.h"
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
    LoadForm form{request.file,   request.address,   request.offset.value_or(""),
                  request.length, !request.noVerify, !request.noErase};
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
    StoreForm form{request.file, request.address, request.offset.value_or(""), request.length,
                   mode};
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
    if (!request.blocks) {
        return [](const Session& run, StatusSink& status, MessageSink& sink,
                  const CancelToken& cancel) {
            return EraseFlashBlocks(run, AllFlashBlocks(run.memoryConfiguration), status, sink,
                                    cancel);
        };
    }
    const std::optional<std::vector<int32_t>> blocks = ParseBlockList(*request.blocks);
    if (!blocks) {
        Refuse(messages,
               "Invalid block list '" + *request.blocks + "': give block indexes such as 0,3-5.");
        return {};
    }
    const int32_t count = BlockCount(session.memoryConfiguration);
    if (blocks->back() >= count) {
        Refuse(messages, "Block " + std::to_string(blocks->back()) + " is not in the " +
                             ConfigurationOfValue(session.memoryConfiguration).label +
                             " configuration, whose blocks are 0 to " + std::to_string(count - 1) +
                             ".");
        return {};
    }
    return [blocks = *blocks](const Session& run, StatusSink& status, MessageSink& sink,
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
    case Command::Ports:
    case Command::Probe:
        break;
    }
    return {};
}

} // namespace tessary::cli
