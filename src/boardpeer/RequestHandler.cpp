#include "RequestHandler.h"

#include "Crc32.h"
#include "FrameCodec.h"
#include "RunLength.h"
#include "SerialProtocol.h"
#include "SimBoard.h"

#include <algorithm>

namespace tessary::peer {

using namespace protocol;

RequestHandler::RequestHandler(board::SimBoard& board, std::string identity,
                               std::optional<FastCapabilities> fast)
    : board_(board), identity_(std::move(identity)),
      maxPayload_(fast ? static_cast<size_t>(fast->maxPayload) : frame::kMaxPayload),
      fast_(fast.has_value()), offers_(fast.value_or(FastCapabilities{})) {
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

namespace {

// The 24-bit count of 0x4A, 0x4B and 0x4C, least significant byte first; 0 is not a count.
size_t BoardCount(const uint8_t* bytes) {
    return static_cast<size_t>(bytes[0]) | static_cast<size_t>(bytes[1]) << 8 |
           static_cast<size_t>(bytes[2]) << 16;
}

// The board reads and writes these many bytes at a time while it computes on its side.
constexpr size_t kStep = 4096;

} // namespace

bool RequestHandler::Checksum(uint8_t reg, size_t count, std::vector<uint8_t>& reply) {
    Crc32 crc;
    scratch_.resize(std::min(count, kStep));
    for (size_t done = 0; done < count;) {
        const size_t step = std::min(count - done, kStep);
        if (!board_.ReadRepeat(reg, scratch_.data(), step)) {
            return false;
        }
        crc.Add(scratch_.data(), step);
        done += step;
    }
    const uint32_t value = crc.Value();
    reply = {kReplyChecksum, static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
             static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    return true;
}

bool RequestHandler::Fill(uint8_t reg, uint8_t value, size_t count) {
    scratch_.assign(std::min(count, kStep), value);
    for (size_t done = 0; done < count;) {
        const size_t step = std::min(count - done, kStep);
        if (!board_.WriteRepeat(reg, scratch_.data(), step)) {
            return false;
        }
        done += step;
    }
    return true;
}

// One byte at a time, so that the address stops right after the last byte the reply holds.
bool RequestHandler::ReadRuns(uint8_t reg, size_t count, std::vector<uint8_t>& reply) {
    RunEncoder runs(maxPayload_ - 1);
    while (runs.Covered() < count && runs.Room()) {
        uint8_t value = 0;
        if (!board_.ReadRepeat(reg, &value, 1)) {
            return false;
        }
        runs.Add(value);
    }
    reply.assign(1, kReplyRuns);
    reply.insert(reply.end(), runs.Body().begin(), runs.Body().end());
    return true;
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
    case kCmdChecksum:
        return offers_.checksum && argc == 4 && BoardCount(args + 1) != 0 &&
               Checksum(args[0], BoardCount(args + 1), reply);
    case kCmdFill:
        reply = {kReplyDone};
        return offers_.fill && argc == 5 && BoardCount(args + 2) != 0 &&
               Fill(args[0], args[1], BoardCount(args + 2));
    case kCmdReadRuns:
        return offers_.runs && argc == 4 && BoardCount(args + 1) != 0 &&
               ReadRuns(args[0], BoardCount(args + 1), reply);
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
