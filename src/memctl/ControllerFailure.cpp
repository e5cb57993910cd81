// The memory controller's failures in words for the user: why it could not connect, and what it
// was doing when an access failed, with where and how its port failed.
#include "MemoryController.h"

#include "HexText.h"
#include "SerialLine.h"
#include "SerialPort.h"

namespace tessary {

std::string MemoryController::LineFailureText() const {
    return serialLine_ ? serialLine_->OpenFailureText() : std::string();
}

std::string MemoryController::ConnectFailureText() const {
    std::string text = LineFailureText();
    if (text.empty() && port_) {
        text = port_->OpenFailureText();
    }
    if (!text.empty() || !connected_) {
        return text;
    }
    if (serialPort_ == nullptr) {
        const std::string library = port_ ? port_->FailureText() : std::string();
        return library.empty()
                   ? "board '" + session_.deviceName + "' did not complete a register access"
                   : library;
    }
    const std::string where = "the board on " + session_.deviceName;
    const std::string how = " (" + serialPort_->RequestFailureText() + ")";
    switch (errorCode_) {
    case kErrNoReply:
    case kErrReadIncomplete:
        return "no answer from " + where + "; is it powered and running the memory controller?" +
               how;
    case kErrLineHungUp:
        return "the line to " + where + " hung up: the board, its adapter or the serial server " +
               "went away" + how;
    case kErrWrongReply:
    case kErrReplyCutShort:
    case kErrReplyTooLong:
    case kErrBadChecksum:
        return where +
               " answered, but not as the memory controller does; check the baud rate "
               "and the design loaded into the board" +
               how;
    default:
        return where + " failed to respond" + how;
    }
}

std::string MemoryController::FailureText() const {
    if (errorCode_ == 0) {
        return {};
    }
    if (errorCode_ == kErrNoController) {
        return "no memory controller answers at register base " +
               HexText(session_.registerBase, 2) +
               " (the address registers read 0xFF); check the register base";
    }
    if (errorCode_ == kErrCancelled) {
        return "cancelled";
    }
    const std::string bytes = std::to_string(exchange_.count) + " bytes";
    const std::string at = " at " + HexText(exchange_.address, 6);
    std::string what;
    switch (exchange_.doing) {
    case Doing::Nothing:
        break;
    case Doing::SetAddress:
        what = "setting the address " + HexText(exchange_.address, 6);
        break;
    case Doing::WriteRam:
        what = "writing " + bytes + " of RAM" + at;
        break;
    case Doing::ReadRam:
        what = "reading " + bytes + " of RAM" + at;
        break;
    case Doing::WriteFlash:
        what = "programming " + bytes + " of Flash" + at;
        break;
    case Doing::ReadFlash:
        what = "reading " + bytes + " of Flash" + at;
        break;
    case Doing::WriteReadBackRam:
        what = "writing and reading back " + bytes + " of RAM" + at;
        break;
    case Doing::WriteReadBackFlash:
        what = "programming and reading back " + bytes + " of Flash" + at;
        break;
    case Doing::EraseBlock:
        what = "erasing the Flash block" + at;
        break;
    case Doing::FlashCommand:
        what = "sending the Flash command " + HexText(exchange_.address, 2);
        break;
    case Doing::ReadFlashStatus:
        what = "reading the Flash status";
        break;
    }
    std::string how = port_ ? port_->FailureText() : std::string();
    if (how.empty()) {
        how = "error " + std::to_string(errorCode_);
    }
    return what.empty() ? how : what + ": " + how;
}

} // namespace tessary
