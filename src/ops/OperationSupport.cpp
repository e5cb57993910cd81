#include "OperationSupport.h"

#include "MemoryController.h"
#include "Sinks.h"
#include "StringTable.h"

namespace tessary {

std::string WithNumber(const char* prefix, int64_t number) {
    return prefix + std::to_string(number);
}

std::string CancelledLoadText(int64_t loaded, int64_t length) {
    if (length < 0) {
        return kCancelledText; // cancelled before the length was known
    }
    return std::string(kCancelledText) + " " + std::to_string(loaded) + " of " +
           std::to_string(length) + " bytes loaded.";
}

void ShowStringTableError(MessageSink& messages, int entry) {
    ShowStringTableError(messages, entry, std::string());
}

void ShowStringTableError(MessageSink& messages, int entry, const std::string& cause) {
    char caption[64];
    LoadResStringInto(kStrErrorCaption, sizeof(caption), caption);
    if (cause.empty()) {
        messages.ShowMessage(LoadResString(entry), caption, MessageIcon::Error, false);
    } else {
        messages.ShowMessageWithCause(LoadResString(entry), caption, MessageIcon::Error, false,
                                      cause);
    }
}

void ReportTransferFailure(MessageSink& messages, const MemoryController& controller,
                           const std::string& statusText, const std::string& caption) {
    if (controller.ControllerMissing()) {
        messages.ShowMessageWithCause("Unable to connect to target board", caption,
                                      MessageIcon::Error, true, controller.FailureText());
    } else {
        messages.NoteFailure(statusText, caption, controller.FailureText());
    }
}

ProgressScope::~ProgressScope() {
    status_.EndProgress();
}

} // namespace tessary
