#include "Connection.h"

#include "PortFactory.h"
#include "Sinks.h"
#include "StringTable.h"

namespace tessary {

ConnectTexts PageConnectTexts(const std::string& caption) {
    return {caption, true, "Out of memory", "Unable to connect to target board"};
}

ConnectTexts StringTableConnectTexts() {
    return {LoadResString(kStrErrorCaption), false, LoadResString(kStrOutOfMemory),
            LoadResString(kStrFlashError)};
}

Connection::Connection(const Session& session, const CancelToken& cancel)
    : session_(session), cancel_(cancel) {}

bool Connection::OpenPort(const ConnectTexts& texts, MessageSink& messages) {
    BuiltPort built = BuildPort(session_);
    switch (built.failure) {
    case PortFailure::None:
        break;
    case PortFailure::InvalidInterface:
        messages.ShowMessage("Invalid interface type selected", "Internal Error",
                             MessageIcon::Error, false);
        return false;
    case PortFailure::OutOfMemory:
        messages.ShowMessage(texts.outOfMemory, texts.caption, MessageIcon::Error,
                             texts.ownedByPage);
        return false;
    }
    port_ = std::move(built.port);
    controller_.emplace(session_, *port_, cancel_);
    return true;
}

bool Connection::Connect(const ConnectTexts& texts, MessageSink& messages) {
    if (controller_->Connect(session_.deviceName.c_str())) {
        return true;
    }
    messages.ShowMessageWithCause(texts.connectFailed, texts.caption, MessageIcon::Error,
                                  texts.ownedByPage, controller_->ConnectFailureText());
    return false;
}

} // namespace tessary
