#include "BoardPeer.h"

#include "FrameCodec.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace tessary::peer {

namespace {

constexpr auto kBrokenFrame = std::chrono::milliseconds(500);
constexpr auto kIdleWait = std::chrono::hours(1);
constexpr auto kWriteAllowance = std::chrono::seconds(1);
constexpr uint8_t kWrongReplyCode = 0x80;

} // namespace

BoardPeer::BoardPeer(int fd, board::SimBoard& board, const PeerSettings& settings,
                     Interrupt& interrupt)
    : fd_(fd), handler_(board, settings.identity), settings_(settings), interrupt_(interrupt) {
    if (settings_.baud != 0) {
        byteTime_ =
            std::chrono::duration_cast<Clock::duration>(std::chrono::seconds(10)) / settings_.baud;
    }
}

bool BoardPeer::Run() {
    for (;;) {
        const auto deadline =
            pending_.empty() ? Clock::now() + kIdleWait : pendingSince_ + kBrokenFrame;
        if (!interrupt_.Wait(fd_, deadline)) {
            return true;
        }
        if (!TakeInput()) {
            return false;
        }
        while (!pending_.empty() && pending_.size() >= pending_[0] + 2u) {
            const std::vector<uint8_t> frame(pending_.begin(), pending_.begin() + pending_[0] + 2);
            pending_.erase(pending_.begin(), pending_.begin() + pending_[0] + 2);
            if (!Answer(frame)) {
                return true;
            }
            pendingSince_ = Clock::now();
        }
        if (!pending_.empty() && Clock::now() - pendingSince_ >= kBrokenFrame) {
            Log("dropped", pending_.data(), pending_.size());
            pending_.clear();
        }
    }
}

bool BoardPeer::TakeInput() {
    for (;;) {
        uint8_t chunk[512];
        const ssize_t n = read(fd_, chunk, sizeof(chunk));
        if (n > 0) {
            if (pending_.empty()) {
                pendingSince_ = Clock::now();
            }
            pending_.insert(pending_.end(), chunk, chunk + n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        // A raw terminal answers 0 or EAGAIN when it has nothing more.
        return n == 0 || errno == EAGAIN;
    }
}

// False when a signal arrived meanwhile.
bool BoardPeer::Answer(const std::vector<uint8_t>& frame) {
    ++requests_;
    Log("<-", frame.data(), frame.size());
    if (settings_.baud != 0) {
        // The request took its time on the line from its first byte on; the reply follows it.
        lineFree_ = std::max(lineFree_, pendingSince_) + byteTime_ * frame.size();
    }
    const int length = frame[0];
    if (frame::Checksum(frame.data() + 1, length) != frame[1 + length]) {
        Log("bad checksum, ignored", nullptr, 0);
        return true;
    }
    if (!handler_.Handle(frame.data() + 1, length, reply_)) {
        Log("no answer", nullptr, 0);
        return true;
    }
    const FaultKind fault = settings_.fault.For(requests_);
    if (fault == FaultKind::NoReply) {
        return true;
    }
    if (fault == FaultKind::WrongCode) {
        reply_[0] = kWrongReplyCode;
    }
    std::vector<uint8_t> bytes(reply_.size() + frame::kOverhead);
    frame::Encode(reply_.data(), static_cast<int>(reply_.size()), bytes.data());
    if (fault == FaultKind::BadChecksum) {
        bytes.back() ^= 0x5A;
    }
    if (fault == FaultKind::FlipByte) {
        bytes[bytes.size() - 2] ^= 0x01;
    }
    if (fault == FaultKind::Dribble) {
        return Dribble(bytes);
    }
    const size_t cut = std::min<size_t>(settings_.fault.cutAfter, bytes.size());
    if (fault == FaultKind::CutShort) {
        bytes.resize(cut);
    }
    if (fault == FaultKind::Stall) {
        if (!Send(bytes.data(), cut)) {
            return false;
        }
        if (!interrupt_.SleepUntil(Clock::now() +
                                   std::chrono::milliseconds(settings_.fault.stallMs))) {
            return false;
        }
        return Send(bytes.data() + cut, bytes.size() - cut);
    }
    return Send(bytes.data(), bytes.size());
}

// False only when a signal arrived.
bool BoardPeer::Dribble(const std::vector<uint8_t>& bytes) {
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0 && !interrupt_.SleepUntil(Clock::now() +
                                            std::chrono::milliseconds(settings_.fault.stallMs))) {
            return false;
        }
        if (!Send(bytes.data() + i, 1)) {
            return false;
        }
    }
    return true;
}

// False only when a signal arrived. Paced, the bytes go out together once the line would have
// carried the last of them: the client waits for a whole reply either way, and one wait per reply
// keeps the pacing accurate where a wait per byte would add the scheduler's delay to every byte.
bool BoardPeer::Send(const uint8_t* bytes, size_t count) {
    Log("->", bytes, count);
    if (settings_.baud != 0) {
        lineFree_ = std::max(lineFree_, Clock::now()) + byteTime_ * count;
        if (!interrupt_.SleepUntil(lineFree_)) {
            return false;
        }
    }
    WriteAll(bytes, count);
    return true;
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
