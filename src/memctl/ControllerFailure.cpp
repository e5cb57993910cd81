// The memory controller's failures in words for the user: why it could not connect, and what it
// was doing when an access failed, with where and how its port failed.
#include "MemoryController.h"

#include "HexText.h"

namespace tessary {

std::string MemoryController::ConnectFailureText() const {
    const std::string text = port_.OpenFailureText();
    return !text.empty() || !connected_ ? text : port_.NoAnswerText();
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
    case Doing::ChecksumRam:
        what = "asking the board for the checksum of " + bytes + " of RAM" + at;
        break;
    case Doing::ChecksumFlash:
        what = "asking the board for the checksum of " + bytes + " of Flash" + at;
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
    std::string how = port_.FailureText();
    if (how.empty()) {
        how = "error " + std::to_string(errorCode_);
    }
    return what.empty() ? how : what + ": " + how;
}

} // namespace tessary
