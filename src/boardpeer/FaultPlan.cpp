#include "FaultPlan.h"

namespace tessary::peer {

std::optional<FaultKind> ParseFaultKind(std::string_view text) {
    if (text == "none") {
        return FaultKind::None;
    }
    if (text == "no-reply") {
        return FaultKind::NoReply;
    }
    if (text == "cut-short") {
        return FaultKind::CutShort;
    }
    if (text == "wrong-code") {
        return FaultKind::WrongCode;
    }
    if (text == "bad-checksum") {
        return FaultKind::BadChecksum;
    }
    if (text == "stall") {
        return FaultKind::Stall;
    }
    if (text == "dribble") {
        return FaultKind::Dribble;
    }
    if (text == "flip-byte") {
        return FaultKind::FlipByte;
    }
    if (text == "hang-up") {
        return FaultKind::HangUp;
    }
    if (text == "wrong-crc") {
        return FaultKind::WrongCrc;
    }
    return std::nullopt;
}

FaultKind FaultPlan::For(uint64_t number) const {
    if (number == 0 || number < at || (count != 0 && number - at >= count)) {
        return FaultKind::None;
    }
    return kind;
}

} // namespace tessary::peer
