#include "OperationSupport.h"

#include "MemoryController.h"
#include "Sinks.h"
#include "StringTable.h"

namespace tessary {

std::string WithNumber(const char* prefix, int64_t number) {
    return prefix + std::to_string(number);
}

void ShowStringTableError(MessageSink& messages, int entry) {
    char caption[64];
    LoadResStringInto(kStrErrorCaption, sizeof(caption), caption);
    messages.ShowMessage(LoadResString(entry), caption, MessageIcon::Error, false);
}

ControllerTeardown::~ControllerTeardown() {
    if (controller_.IsConnected()) {
        controller_.Disconnect();
    }
    controller_.Release();
}

ProgressScope::~ProgressScope() {
    status_.EndProgress();
}

} // namespace tessary
