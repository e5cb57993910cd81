#include "RequestHandler.h"

#include "FrameCodec.h"
#include "SerialProtocol.h"
#include "SimBoard.h"

namespace tessary::peer {

using namespace protocol;

RequestHandler::RequestHandler(board::SimBoard& board, std::string identity,
                               std::optional<FastCapabilities> fast)
    : board_(board), identity_(std::move(identity)),
      maxPayload_(fast ? static_cast<size_t>(fast->maxPayload) : frame::kMaxPayload),
      fast_(fast.has_value()) {
    // The announcement ends the text and always fits in what a host reads: the board's own
    // words give way to it. A basic board keeps at most a reply's worth of text, as it always did.
    const std::string group = fast ? FormatFastAnnouncement(*fast) : std::string();
    const size_t limit = fast ? kMaxIdentity : frame::kReplyCapacity - 1u;
    if (identity_.size() + group.size() > limit) {
        identity_.resize(limit - group.size());
    }
    identity_ += group;
}

bool RequestHandler::ReadRepeat(uint8_t reg, size_t count, std::vector<uint8_t>& reply) {
    if (count + 1 > maxPayload_) {
        return false;
    }
    reply.assign(1 + count, kReplyRepeatValues);
    return board_.ReadRepeat(reg, reply.data() + 1, count);
}

bool RequestHandler::Handle(const uint8_t* payload, int length, std::vector<uint8_t>& reply) {
    reply.clear();
    if (length < 1 || static_cast<size_t>(length) > maxPayload_) {
        return false;
    }
    const uint8_t* args = payload + 1;
    const size_t argc = static_cast<size_t>(length - 1);
    switch (payload[0]) {
    case kCmdProbe:
        reply = {kReplyDone};
        return argc == 0;
    case kCmdGetIdentity:
        reply.assign(1, kReplyIdentity);
        reply.insert(reply.end(), identity_.begin(), identity_.end());
        return argc == 0;
    case kCmdPutReg:
        reply = {kReplyDone};
        return argc == 2 && board_.WriteRegister(args[0], args[1]);
    case kCmdPutRegRepeat:
        reply = {kReplyDone};
        return argc >= 1 && board_.WriteRepeat(args[0], args + 1, argc - 1);
    case kCmdPutRegSet: {
        if (argc % 2 != 0) {
            return false;
        }
        const size_t pairs = argc / 2;
        scratch_.resize(2 * pairs);
        for (size_t i = 0; i < pairs; ++i) {
            scratch_[i] = args[2 * i];
            scratch_[pairs + i] = args[2 * i + 1];
        }
        reply = {kReplyDone};
        return board_.WriteSet(scratch_.data(), scratch_.data() + pairs, pairs);
    }
    case kCmdGetReg: {
        uint8_t value = 0;
        if (argc != 1 || !board_.ReadRegister(args[0], &value)) {
            return false;
        }
        reply = {kReplyRegister, args[0], value};
        return true;
    }
    case kCmdGetRegRepeat: {
        // Count, register, then one filler byte per value asked for.
        const size_t count = argc >= 2 ? args[0] : 0;
        return argc == count + 2 && ReadRepeat(args[1], count, reply);
    }
    case kCmdGetRegCompact:
        // Register and count, nothing else; a basic board does not know the request.
        return fast_ && argc == 2 && args[1] >= 1 && ReadRepeat(args[0], args[1], reply);
    case kCmdGetRegSet: {
        if (2 * argc + 1 > maxPayload_) {
            return false;
        }
        scratch_.resize(argc);
        if (!board_.ReadSet(args, scratch_.data(), argc)) {
            return false;
        }
        reply.assign(1, kReplySetValues);
        for (size_t i = 0; i < argc; ++i) {
            reply.push_back(args[i]);
            reply.push_back(scratch_[i]);
        }
        return true;
    }
    default:
        return false;
    }
}

} // namespace tessary::peer
