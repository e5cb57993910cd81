#include "BoardPeer.h"

#include "FrameCodec.h"
#include "SerialProtocol.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace tessary::peer {

namespace {

constexpr auto kBrokenFrame = std::chrono::milliseconds(500);
// After an overflow or a line error the receiver takes input again once the line has been quiet
// this long.
constexpr auto kQuietToResync = std::chrono::milliseconds(50);
constexpr auto kIdleWait = std::chrono::hours(1);
constexpr auto kWriteAllowance = std::chrono::seconds(1);
constexpr uint8_t kWrongReplyCode = 0x80;
// The bit a broken CRC engine gets wrong: bit 0 of the CRC's first (least significant) byte.
constexpr uint8_t kWrongCrcBit = 0x01;

} // namespace

BoardPeer::BoardPeer(int fd, board::SimBoard& board, const PeerSettings& settings,
                     Interrupt& interrupt)
    : fd_(fd), handler_(board, settings.identity, settings.fast), settings_(settings),
      interrupt_(interrupt) {
    if (settings_.baud != 0) {
        byteTime_ =
            std::chrono::duration_cast<Clock::duration>(std::chrono::seconds(10)) / settings_.baud;
    }
}

bool BoardPeer::Run() {
    for (;;) {
        const auto now = Clock::now();
        Advance(now);
        Deliver(now);
        if (hangingUp_ && outbox_.empty()) {
            Log("hung up", nullptr, 0);
            return true;
        }
        DropBrokenFrame(now);
        if (!interrupt_.Wait(fd_, NextEvent())) {
            return true;
        }
        if (!TakeInput()) {
            return false;
        }
    }
}

Clock::time_point BoardPeer::NextEvent() const {
    auto next = Clock::now() + kIdleWait;
    if (!outbox_.empty()) {
        next = std::min(next, outbox_.front().due);
    }
    if (received_.empty()) {
        return next;
    }
    if (!LengthInRange(received_[0].value)) {
        return std::min(next, std::max(received_[0].at, engineFree_));
    }
    const size_t size = received_[0].value + frame::kOverhead;
    if (received_.size() >= size) {
        return std::min(next, std::max(received_[size - 1].at, engineFree_));
    }
    return std::min(next, received_.front().at + kBrokenFrame);
}

bool BoardPeer::LengthInRange(uint8_t length) const {
    return length >= 1 && length <= handler_.MaxPayload();
}

bool BoardPeer::AfterQuiet(Clock::time_point at, Clock::time_point previous) const {
    return at - previous >= byteTime_ + kQuietToResync;
}

bool BoardPeer::TakeInput() {
    for (;;) {
        uint8_t chunk[512];
        const ssize_t n = read(fd_, chunk, sizeof(chunk));
        if (n > 0) {
            const auto now = Clock::now();
            for (ssize_t i = 0; i < n; ++i) {
                Receive(chunk[i], now);
            }
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        // A raw terminal answers 0 or EAGAIN when it has nothing more.
        return n == 0 || errno == EAGAIN;
    }
}

// The host's bytes reach the board one byte time apart at the earliest, from when the host
// wrote them.
void BoardPeer::Receive(uint8_t value, Clock::time_point now) {
    const auto at = std::max(now, lastArrival_) + byteTime_;
    const bool afterQuiet = AfterQuiet(at, lastArrival_);
    lastArrival_ = at;
    // Requests the board takes up before this byte arrives have left the receiver.
    Advance(at);
    if (discarding_ && !afterQuiet) {
        return;
    }
    discarding_ = false;
    if (settings_.rxBuffer != 0 && received_.size() >= settings_.rxBuffer) {
        const size_t complete = CompleteBytes();
        Log("receiver overflow, dropped", nullptr, 0);
        received_.resize(complete);
        discarding_ = true;
        return;
    }
    received_.push_back({value, at});
}

// Bytes at the front of the receiver that form whole frames.
size_t BoardPeer::CompleteBytes() const {
    size_t position = 0;
    while (position < received_.size()) {
        const size_t size = received_[position].value + frame::kOverhead;
        if (received_.size() - position < size) {
            break;
        }
        position += size;
    }
    return position;
}

// Takes up, in order, every whole request the board starts on by `until`: it starts on one when
// the request has arrived and the reply before it has left.
void BoardPeer::Advance(Clock::time_point until) {
    while (!received_.empty()) {
        // A length no request has cannot be trusted to tell where the next frame starts.
        const size_t size =
            LengthInRange(received_[0].value) ? received_[0].value + frame::kOverhead : 1;
        if (received_.size() < size) {
            return;
        }
        const auto start = std::max(received_[size - 1].at, engineFree_);
        if (start > until) {
            return;
        }
        std::vector<uint8_t> frame(size);
        for (size_t i = 0; i < size; ++i) {
            frame[i] = received_[i].value;
        }
        const auto last = received_[size - 1].at;
        received_.erase(received_.begin(), received_.begin() + static_cast<ptrdiff_t>(size));
        if (size == 1) {
            Log("length out of range, dropped", frame.data(), 1);
            Resynchronise(last);
        } else if (!Answer(frame, start)) {
            Resynchronise(last);
        }
    }
}

// After a line error the receiver cannot tell where the next frame starts: it drops what follows
// until the line has been quiet, the bytes waiting in it up to the first quiet gap and, without
// one, what arrives until the line goes quiet. What the board carries out is then always an exact
// prefix of what the host sent.
void BoardPeer::Resynchronise(Clock::time_point last) {
    size_t dropped = 0;
    while (dropped < received_.size() && !AfterQuiet(received_[dropped].at, last)) {
        last = received_[dropped].at;
        ++dropped;
    }
    if (dropped > 0) {
        std::vector<uint8_t> bytes;
        for (size_t i = 0; i < dropped; ++i) {
            bytes.push_back(received_[i].value);
        }
        Log("dropped until the line is quiet", bytes.data(), bytes.size());
        received_.erase(received_.begin(), received_.begin() + static_cast<ptrdiff_t>(dropped));
    }
    discarding_ = received_.empty();
}

bool BoardPeer::Answer(const std::vector<uint8_t>& frame, Clock::time_point start) {
    ++requests_;
    Log("<-", frame.data(), frame.size());
    const int length = frame[0];
    if (frame::Checksum(frame.data() + 1, length) != frame[1 + length]) {
        Log("bad checksum, ignored", nullptr, 0);
        return false;
    }
    if (!handler_.Handle(frame.data() + 1, length, reply_)) {
        Log("no answer", nullptr, 0);
        return true;
    }
    const FaultKind fault = settings_.fault.For(FaultNumber());
    if (fault == FaultKind::NoReply || hangingUp_) {
        return true;
    }
    if (fault == FaultKind::HangUp) {
        hangingUp_ = true;
        return true;
    }
    if (fault == FaultKind::WrongCode) {
        reply_[0] = kWrongReplyCode;
    }
    if (fault == FaultKind::WrongCrc) {
        reply_[1] ^= kWrongCrcBit;
    }
    std::vector<uint8_t> bytes(reply_.size() + frame::kOverhead);
    frame::Encode(reply_.data(), static_cast<int>(reply_.size()), bytes.data());
    if (fault == FaultKind::BadChecksum) {
        bytes.back() ^= 0x5A;
    }
    if (fault == FaultKind::FlipByte) {
        bytes[bytes.size() - 2] ^= 0x01;
    }
    Transmit(start, std::move(bytes), fault);
    return true;
}

// The number the fault plan counts the reply in reply_ by: the request's, or for a broken CRC
// engine, which shows only in checksum replies, the checksum reply's (0 for any other reply).
uint64_t BoardPeer::FaultNumber() {
    if (settings_.fault.kind != FaultKind::WrongCrc) {
        return requests_;
    }
    return reply_[0] == protocol::kReplyChecksum ? ++checksumReplies_ : 0;
}

// The reply leaves the board byte by byte at the line's pace (a stall pauses it) and reaches the
// host the adapter's latency later. Paced, the bytes of one piece are handed over together once
// the line would have carried the last of them: the host waits for a whole reply either way.
void BoardPeer::Transmit(Clock::time_point start, std::vector<uint8_t> bytes, FaultKind fault) {
    const auto latency = std::chrono::milliseconds(settings_.latencyMs);
    engineFree_ = std::max(engineFree_, start);
    auto send = [&](std::vector<uint8_t> piece) {
        engineFree_ += byteTime_ * static_cast<int64_t>(piece.size());
        outbox_.push_back({engineFree_ + latency, std::move(piece)});
    };
    if (fault == FaultKind::Dribble) {
        for (size_t i = 0; i < bytes.size(); ++i) {
            if (i > 0) {
                engineFree_ += std::chrono::milliseconds(settings_.fault.stallMs);
            }
            send({bytes[i]});
        }
        return;
    }
    const size_t cut = std::min<size_t>(settings_.fault.cutAfter, bytes.size());
    if (fault == FaultKind::CutShort) {
        bytes.resize(cut);
    }
    if (fault == FaultKind::Stall) {
        send(std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(cut)));
        engineFree_ += std::chrono::milliseconds(settings_.fault.stallMs);
        send(std::vector<uint8_t>(bytes.begin() + static_cast<ptrdiff_t>(cut), bytes.end()));
        return;
    }
    send(std::move(bytes));
}

void BoardPeer::Deliver(Clock::time_point now) {
    while (!outbox_.empty() && outbox_.front().due <= now) {
        const std::vector<uint8_t>& bytes = outbox_.front().bytes;
        Log("->", bytes.data(), bytes.size());
        WriteAll(bytes.data(), bytes.size());
        outbox_.pop_front();
    }
}

void BoardPeer::DropBrokenFrame(Clock::time_point now) {
    if (!received_.empty() && CompleteBytes() == 0 && now - received_.front().at >= kBrokenFrame) {
        std::vector<uint8_t> bytes;
        for (const Received& r : received_) {
            bytes.push_back(r.value);
        }
        Log("dropped", bytes.data(), bytes.size());
        received_.clear();
        discarding_ = true;
    }
}

// A client that stops reading cannot hold the board: what does not fit within a second is lost.
void BoardPeer::WriteAll(const uint8_t* bytes, size_t count) {
    const auto deadline = Clock::now() + kWriteAllowance;
    while (count > 0) {
        const ssize_t n = write(fd_, bytes, count);
        if (n > 0) {
            bytes += n;
            count -= static_cast<size_t>(n);
        } else if ((n < 0 && errno != EAGAIN && errno != EINTR) || Clock::now() >= deadline) {
            Log("reply lost", bytes, count);
            return;
        } else {
            usleep(1000);
        }
    }
}

void BoardPeer::Log(const char* what, const uint8_t* bytes, size_t count) const {
    if (!settings_.verbose) {
        return;
    }
    std::fprintf(stderr, "tessary-board: %s", what);
    for (size_t i = 0; i < count; ++i) {
        std::fprintf(stderr, " %02X", bytes[i]);
    }
    std::fputc('\n', stderr);
}

} // namespace tessary::peer
