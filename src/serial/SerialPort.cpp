#include "SerialPort.h"

#include "FrameCodec.h"
#include "FramedAccess.h"
#include "HexText.h"
#include "LineAllowance.h"
#include "ReplyDecode.h"
#include "RunLength.h"
#include "SerialLine.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace tessary {

using namespace protocol;

namespace {

bool Fits(int32_t count, int32_t limit) {
    return count >= 0 && count <= limit;
}

// "request 0x44 (write of 63 bytes to register 0x06)", from the request's first payload bytes
// and its length.
std::string DescribeRequest(const uint8_t* request, int length) {
    const uint8_t command = request[0];
    const auto count = [](int items) { return std::to_string(items); };
    std::string what;
    switch (command) {
    case kCmdProbe:
        what = "probe";
        break;
    case kCmdGetIdentity:
        what = "identity";
        break;
    case kCmdPutReg:
        what = "write of register " + HexText(request[1], 2);
        break;
    case kCmdPutRegRepeat:
        what = "write of " + count(length - 2) + " bytes to register " + HexText(request[1], 2);
        break;
    case kCmdPutRegSet:
        what = "write of " + count((length - 1) / 2) + " registers";
        break;
    case kCmdGetReg:
        what = "read of register " + HexText(request[1], 2);
        break;
    case kCmdGetRegRepeat:
        what = "read of " + count(request[1]) + " bytes from register " + HexText(request[2], 2);
        break;
    case kCmdGetRegCompact:
        what = "read of " + count(request[2]) + " bytes from register " + HexText(request[1], 2);
        break;
    case kCmdGetRegSet:
        what = "read of " + count(length - 1) + " registers";
        break;
    case kCmdChecksum:
        what = "checksum of bytes from register " + HexText(request[1], 2);
        break;
    case kCmdFill:
        what = "fill of register " + HexText(request[1], 2) + " with " + HexText(request[2], 2);
        break;
    case kCmdReadRuns:
        what = "run-length read from register " + HexText(request[1], 2);
        break;
    default:
        return "request " + HexText(command, 2);
    }
    return "request " + HexText(command, 2) + " (" + what + ")";
}

} // namespace

SerialPort::SerialPort(std::unique_ptr<SerialLine> line) : ownLine_(std::move(line)) {
    Initialize(*ownLine_);
}

SerialPort::~SerialPort() {
    if (!ownLine_) {
        return; // the caller's line: the caller closes it
    }
    if ((flags_ & kFlagOpen) != 0) {
        Close();
    }
    Uninitialize();
    ownLine_->Reset();
}

bool SerialPort::Initialize(SerialLine& line) {
    line_ = &line;
    flags_ |= kFlagInitialised;
    return true;
}

void SerialPort::Uninitialize() {
    flags_ &= ~kFlagInitialised;
    line_ = nullptr;
}

bool SerialPort::LineFailed() {
    return Fail(line_->ErrorCode());
}

bool SerialPort::Open() {
    return OpenPath(deviceName_);
}

bool SerialPort::OpenPath(const char* path) {
    if (line_ == nullptr) {
        return Fail(kErrLineNotInitialised);
    }
    // A board is basic until its identity says otherwise.
    fast_.reset();
    line_->SetRequestLimit(LimitsFor(fast_).payload);
    outOfStep_ = false;
    failure_.clear();
    path_ = path;
    if (!line_->Open(path)) {
        return LineFailed();
    }
    flags_ |= kFlagOpen;
    return true;
}

bool SerialPort::Close() {
    if (line_ == nullptr) {
        return Fail(kErrLineNotInitialised);
    }
    if (!line_->Close()) {
        return LineFailed();
    }
    flags_ &= ~kFlagOpen;
    inFlightCount_ = 0;
    outOfStep_ = false;
    return true;
}

int32_t SerialPort::Window() const {
    if (forcedWindow_ > 0) {
        return std::min<int32_t>(forcedWindow_, kMaxInFlight);
    }
    return fast_ ? fast_->window : 1;
}

bool SerialPort::Issue(const uint8_t* payload, int length, const Pending& pending,
                       const CancelToken& cancel) {
    if (line_ == nullptr) {
        return Fail(kErrLineNotInitialised);
    }
    Pending request = pending;
    std::copy_n(payload, std::min(length, 3), request.request);
    request.requestLength = length;
    if (outOfStep_) {
        return FailRequest(request, kErrCancelled,
                           "not sent: the line is out of step with the board since a cancel");
    }
    if (inFlightCount_ >= static_cast<size_t>(Window()) && !TakeOldest(cancel)) {
        return false;
    }
    if (!line_->SendFrame(length, payload)) {
        return FailRequest(request, line_->ErrorCode(), line_->FailureText());
    }
    inFlight_[(oldest_ + inFlightCount_) % kMaxInFlight] = request;
    ++inFlightCount_;
    return true;
}

bool SerialPort::TakeOldest(const CancelToken& cancel) {
    const Pending pending = inFlight_[oldest_];
    uint8_t payload[frame::kMaxPayload + frame::kOverhead];
    int length = 0;
    if (!line_->ReceiveFrame(Limits().payload, length, payload, cancel,
                             allowance::ForBoardWork(pending.boardBytes))) {
        return FailRequest(pending, line_->ErrorCode(), line_->FailureText());
    }
    oldest_ = (oldest_ + 1) % kMaxInFlight;
    --inFlightCount_;
    if (const int32_t refused = reply::CheckCode(payload, length, pending.expected); refused != 0) {
        return FailRequest(pending, refused,
                           length == 0 ? "an empty reply"
                                       : "unexpected reply code " + HexText(payload[0], 2) +
                                             " (expected " + HexText(pending.expected, 2) + ")");
    }
    return Deliver(pending, payload, length);
}

bool SerialPort::RefuseTooLong() {
    failure_ = "a request longer than one frame carries";
    return Fail(kErrFrameTooLong);
}

bool SerialPort::FailRequest(const Pending& request, int32_t code, const std::string& how) {
    failure_ = DescribeRequest(request.request, request.requestLength) + ": " + how;
    return Abandon(code);
}

std::string SerialPort::FailureText() const {
    return failure_.empty() || line_ == nullptr ? failure_ : line_->Path() + ": " + failure_;
}

bool SerialPort::Deliver(const Pending& pending, const uint8_t* payload, int length) {
    int32_t refused = 0;
    switch (pending.delivery) {
    case Delivery::Nothing:
        break;
    case Delivery::Identity:
        refused =
            reply::TakeIdentity(payload, length, pending.count, static_cast<char*>(pending.out));
        if (refused == 0) {
            // The announcement is read from all the board said, whatever the caller kept of it.
            fast_ = ParseFastAnnouncement(std::string_view(
                reinterpret_cast<const char*>(payload) + 1, static_cast<size_t>(length - 1)));
            line_->SetRequestLimit(Limits().payload);
        }
        break;
    case Delivery::Register:
        refused = reply::TakeRegister(payload, length, *static_cast<uint8_t*>(pending.out));
        break;
    case Delivery::RepeatValues:
        refused = reply::TakeRepeatValues(payload, length, pending.count,
                                          static_cast<uint8_t*>(pending.out));
        break;
    case Delivery::SetPairs:
        refused = reply::TakeSetPairs(payload, length, pending.count,
                                      static_cast<RegisterPair*>(pending.out));
        break;
    case Delivery::Checksum:
        refused = reply::TakeChecksum(payload, length, *static_cast<uint32_t*>(pending.out));
        break;
    case Delivery::Runs:
        return DeliverRuns(pending, payload, length);
    }
    if (refused == 0) {
        return true;
    }
    // Only a reply shorter than its request asked for is refused here.
    const int32_t wanted = pending.delivery == Delivery::Register   ? 3
                           : pending.delivery == Delivery::Checksum ? 5
                           : pending.delivery == Delivery::SetPairs ? 1 + 2 * pending.count
                                                                    : 1 + pending.count;
    return FailRequest(pending, refused,
                       "a reply of " + std::to_string(length) + " bytes where " +
                           std::to_string(wanted) + " were due");
}

bool SerialPort::DeliverRuns(const Pending& pending, const uint8_t* payload, int length) {
    const int32_t covered = protocol::DecodeRuns(payload + 1, length - 1,
                                                 static_cast<uint8_t*>(pending.out), pending.count);
    if (covered <= 0) {
        return FailRequest(pending, kErrWrongReply,
                           "a run-length reply that does not decode (" +
                               std::to_string(length - 1) + " bytes of items for at most " +
                               std::to_string(pending.count) + " bytes asked)");
    }
    runs_ = {covered, length + frame::kOverhead};
    return true;
}

bool SerialPort::Complete(const CancelToken& cancel) {
    while (inFlightCount_ > 0) {
        if (!TakeOldest(cancel)) {
            return false;
        }
    }
    return true;
}

bool SerialPort::Abandon(int32_t code) {
    if (inFlightCount_ > 0) {
        const int due = static_cast<int>(inFlightCount_);
        inFlightCount_ = 0;
        if (code != kErrCancelled) {
            line_->DiscardInput();
        } else if (!line_->DropReplies(due)) {
            outOfStep_ = true;
        }
    }
    return Fail(code);
}

bool SerialPort::Probe(bool& present) {
    present = false;
    if (!IsOpen()) {
        return false;
    }
    const uint8_t request[] = {kCmdProbe};
    if (!Issue(request, 1, {kReplyDone}) || !Complete()) {
        return false;
    }
    present = true;
    return true;
}

bool SerialPort::GetIdentity(int capacity, char* text) {
    if (!IsOpen()) {
        return false;
    }
    const uint8_t request[] = {kCmdGetIdentity};
    return Issue(request, 1, {kReplyIdentity, Delivery::Identity, capacity, text}) && Complete();
}

bool SerialPort::PutReg(uint8_t address, uint8_t data) {
    if (!IsOpen()) {
        return false;
    }
    const uint8_t request[] = {kCmdPutReg, address, data};
    return Issue(request, 3, {kReplyDone}) && Complete();
}

bool SerialPort::PutRegRepeat(int32_t count, uint8_t address, const uint8_t* data) {
    return IssuePutRegRepeat(count, address, data) && Complete();
}

bool SerialPort::IssuePutRegRepeat(int32_t count, uint8_t address, const uint8_t* data,
                                   const CancelToken& cancel) {
    if (!IsOpen()) {
        return false;
    }
    if (!Fits(count, Limits().repeatWrite)) {
        return RefuseTooLong();
    }
    // The register travels with the data: the board writes RAM and Flash through different ones.
    uint8_t request[frame::kMaxPayload] = {kCmdPutRegRepeat, address};
    std::memcpy(request + 2, data, static_cast<size_t>(count));
    return Issue(request, count + 2, {kReplyDone}, cancel);
}

bool SerialPort::PutRegSet(int32_t count, const RegisterPair* pairs) {
    return IssuePutRegSet(count, pairs) && Complete();
}

bool SerialPort::IssuePutRegSet(int32_t count, const RegisterPair* pairs,
                                const CancelToken& cancel) {
    if (!IsOpen()) {
        return false;
    }
    if (!Fits(count, Limits().setPairs)) {
        return RefuseTooLong();
    }
    uint8_t request[frame::kMaxPayload] = {kCmdPutRegSet};
    std::memcpy(request + 1, pairs, sizeof(RegisterPair) * static_cast<size_t>(count));
    return Issue(request, 2 * count + 1, {kReplyDone}, cancel);
}

bool SerialPort::GetReg(uint8_t address, uint8_t& data) {
    if (!IsOpen()) {
        return false;
    }
    const uint8_t request[] = {kCmdGetReg, address};
    return Issue(request, 2, {kReplyRegister, Delivery::Register, 1, &data}) && Complete();
}

bool SerialPort::GetRegRepeat(int32_t count, uint8_t address, uint8_t* data) {
    return IssueGetRegRepeat(count, address, data) && Complete();
}

bool SerialPort::IssueGetRegRepeat(int32_t count, uint8_t address, uint8_t* data,
                                   const CancelToken& cancel) {
    if (!IsOpen()) {
        return false;
    }
    const FrameLimits limits = Limits();
    if (!Fits(count, limits.repeatRead)) {
        return RefuseTooLong();
    }
    const Pending pending{kReplyRepeatValues, Delivery::RepeatValues, count, data};
    if (limits.compactRead && count > 0) {
        const uint8_t request[] = {kCmdGetRegCompact, address, static_cast<uint8_t>(count)};
        return Issue(request, 3, pending, cancel);
    }
    // The count filler bytes after the register are zeros.
    uint8_t request[frame::kMaxPayload] = {kCmdGetRegRepeat, static_cast<uint8_t>(count), address};
    return Issue(request, count + 3, pending, cancel);
}

bool SerialPort::GetRegSet(int32_t count, RegisterPair* pairs) {
    return IssueGetRegSet(count, pairs) && Complete();
}

bool SerialPort::IssueGetRegSet(int32_t count, RegisterPair* pairs, const CancelToken& cancel) {
    if (!IsOpen()) {
        return false;
    }
    // The reply carries two bytes per pair, so a longer list could never be answered within a
    // frame; it is refused before the board reads (and advances) anything.
    if (!Fits(count, Limits().setPairs)) {
        return RefuseTooLong();
    }
    uint8_t request[frame::kMaxPayload] = {kCmdGetRegSet};
    for (int32_t i = 0; i < count; ++i) {
        request[1 + i] = pairs[i].address;
    }
    return Issue(request, count + 1, {kReplySetValues, Delivery::SetPairs, count, pairs}, cancel);
}

bool SerialPort::IssueFill(int32_t count, uint8_t address, uint8_t value,
                           const CancelToken& cancel) {
    if (!IsOpen()) {
        return false;
    }
    if (!fast_ || !fast_->fill) {
        return Fail(kErrNotSupported);
    }
    if (!Fits(count, kMaxBoardCount) || count == 0) {
        return RefuseTooLong();
    }
    const uint8_t request[] = {kCmdFill,
                               address,
                               value,
                               static_cast<uint8_t>(count),
                               static_cast<uint8_t>(count >> 8),
                               static_cast<uint8_t>(count >> 16)};
    return Issue(request, 6, {kReplyDone, Delivery::Nothing, 0, nullptr, count}, cancel);
}

bool SerialPort::ReadRuns(int32_t count, uint8_t address, uint8_t* data, RunsRead& read,
                          const CancelToken& cancel) {
    if (!IsOpen()) {
        return false;
    }
    if (!fast_ || !fast_->runs) {
        return Fail(kErrNotSupported);
    }
    if (!Fits(count, kMaxBoardCount) || count == 0) {
        return RefuseTooLong();
    }
    const uint8_t request[] = {kCmdReadRuns, address, static_cast<uint8_t>(count),
                               static_cast<uint8_t>(count >> 8), static_cast<uint8_t>(count >> 16)};
    runs_ = {};
    if (!Issue(request, 5, {kReplyRuns, Delivery::Runs, count, data, count}, cancel) ||
        !Complete(cancel)) {
        return false;
    }
    read = runs_;
    return true;
}

bool SerialPort::WriteRepeat(int32_t count, uint8_t address, const uint8_t* data,
                             const CancelToken& cancel) {
    if (fast_ && fast_->fill) {
        return PutRegRepeatFilledInFrames(*this, count, address, data, cancel);
    }
    return PutRegRepeatInFrames(*this, count, address, data, cancel);
}

bool SerialPort::ReadRepeat(int32_t count, uint8_t address, uint8_t* data,
                            const CancelToken& cancel) {
    if (fast_ && fast_->runs) {
        return GetRegRepeatInRuns(*this, count, address, data, cancel);
    }
    return GetRegRepeatInFrames(*this, count, address, data, cancel);
}

bool SerialPort::WriteList(int32_t count, const RegisterPair* pairs, const CancelToken& cancel) {
    return PutRegSetInFrames(*this, count, pairs, cancel);
}

bool SerialPort::WriteListAhead(int32_t count, const RegisterPair* pairs) {
    return IssuePutRegSet(count, pairs);
}

bool SerialPort::ReadList(int32_t count, RegisterPair* pairs, const CancelToken& cancel) {
    return IssueGetRegSet(count, pairs, cancel) && Complete(cancel);
}

bool SerialPort::WriteRepeatReadBack(int32_t count, uint8_t reg, const uint8_t* data,
                                     uint8_t* readBack, const RewindList& rewind,
                                     const CancelToken& cancel) {
    if (!InterleavesReadBack()) {
        return RegisterPort::WriteRepeatReadBack(count, reg, data, readBack, rewind, cancel);
    }
    return PutRegRepeatReadBackInFrames(*this, count, reg, data, readBack, rewind, cancel);
}

bool SerialPort::Checksum(int32_t count, uint8_t address, uint32_t& crc,
                          const CancelToken& cancel) {
    if (!IsOpen()) {
        return false;
    }
    if (!OffersChecksum()) {
        return Fail(kErrNotSupported);
    }
    if (!Fits(count, kMaxBoardCount) || count == 0) {
        return RefuseTooLong();
    }
    const uint8_t request[] = {kCmdChecksum, address, static_cast<uint8_t>(count),
                               static_cast<uint8_t>(count >> 8), static_cast<uint8_t>(count >> 16)};
    return Issue(request, 5, {kReplyChecksum, Delivery::Checksum, 1, &crc, count}, cancel) &&
           Complete(cancel);
}

std::optional<uint32_t> SerialPort::FlashSize() const {
    return fast_ ? fast_->flashSize : std::nullopt;
}

std::string SerialPort::OpenFailureText() const {
    return line_ != nullptr ? line_->OpenFailureText() : std::string();
}

std::string SerialPort::NoAnswerText() const {
    const std::string where = "the board on " + path_;
    const std::string how = " (" + failure_ + ")";
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

} // namespace tessary
