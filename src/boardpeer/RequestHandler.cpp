#include "RequestHandler.h"

#include "FrameCodec.h"
#include "SerialProtocol.h"
#include "SimBoard.h"

namespace tessary::peer {

using namespace protocol;

RequestHandler::RequestHandler(board::SimBoard& board, std::string identity)
    : board_(board), identity_(std::move(identity)) {
    if (identity_.size() > frame::kReplyCapacity - 1u) {
        identity_.resize(frame::kReplyCapacity - 1u);
    }
}

bool RequestHandler::Handle(const uint8_t* payload, int length, std::vector<uint8_t>& reply) {
    reply.clear();
    if (length < 1) {
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
        if (argc != count + 2 || count + 1 > frame::kMaxPayload) {
            return false;
        }
        reply.assign(1 + count, kReplyRepeatValues);
        return board_.ReadRepeat(args[1], reply.data() + 1, count);
    }
    case kCmdGetRegSet: {
        if (2 * argc + 1 > frame::kMaxPayload) {
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
