#pragma once

#include "MemoryController.h"
#include "RegisterPort.h"
#include "Session.h"

#include <memory>
#include <optional>
#include <string>

namespace tessary {

class CancelToken;
class MessageSink;

// How an operation shows that it could not reach the board: the boxes' caption and owner, the
// text for a port that could not be built for lack of memory, and the text for a board that
// could not be connected to (shown with the port's cause).
struct ConnectTexts {
    std::string caption;
    bool ownedByPage = true;
    std::string outOfMemory;
    std::string connectFailed;
};

// The texts of the load and store pages: "Out of memory", "Unable to connect to target board".
ConnectTexts PageConnectTexts(const std::string& caption);
// The string table's texts, as the Flash erase shows them: kStrOutOfMemory, kStrFlashError.
ConnectTexts StringTableConnectTexts();

// One operation's way to the board: the port the session selects and the memory controller over
// it. The port is built first (OpenPort), the board connected to later (Connect), each showing
// its own failure; the port is closed and let go when the connection ends.
class Connection {
  public:
    Connection(const Session& session, const CancelToken& cancel);
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Builds the port. False after showing why: "Invalid interface type selected" for an
    // interface type the program does not know, texts.outOfMemory when memory ran out.
    bool OpenPort(const ConnectTexts& texts, MessageSink& messages);
    // Connects to the session's board through the built port. False after showing
    // texts.connectFailed with the cause.
    bool Connect(const ConnectTexts& texts, MessageSink& messages);
    // The controller of a built port.
    MemoryController& Controller() { return *controller_; }

  private:
    const Session& session_;
    const CancelToken& cancel_;
    std::unique_ptr<RegisterPort> port_;
    std::optional<MemoryController> controller_;
};

} // namespace tessary
