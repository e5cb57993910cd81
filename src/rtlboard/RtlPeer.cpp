#include "RtlPeer.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <unistd.h>

namespace tessary::rtl {
namespace {

// Clock cycles simulated between looks at the terminal and the signals.
constexpr int kBatch = 512;
constexpr auto kIdleWait = std::chrono::hours(1);
constexpr auto kWriteAllowance = std::chrono::seconds(1);

} // namespace

RtlPeer::RtlPeer(int fd, RtlModel& model, uint32_t baudDivisor, uint32_t clockHz,
                 peer::Interrupt& interrupt)
    : fd_(fd), model_(model), line_(baudDivisor), clockHz_(clockHz), interrupt_(interrupt) {}

bool RtlPeer::Run() {
    for (;;) {
        if (model_.Idle() && line_.Quiet()) {
            if (!WaitQuietly()) {
                return true;
            }
            if (!TakeInput()) {
                return false;
            }
            continue;
        }
        for (int i = 0; i < kBatch; ++i) {
            txPin_ = model_.Cycle(line_.Step(txPin_));
        }
        SendBack();
        if (interrupt_.Raised()) {
            return true;
        }
        if (!TakeInput()) {
            return false;
        }
    }
}

bool RtlPeer::WaitQuietly() {
    using Seconds = std::chrono::duration<double>;
    const uint64_t busy = model_.FlashBusyCycles();
    const auto start = peer::Clock::now();
    const auto deadline = busy == 0 ? start + kIdleWait
                                    : start + std::chrono::duration_cast<peer::Clock::duration>(
                                                  Seconds(static_cast<double>(busy) / clockHz_));
    const bool waited = interrupt_.Wait(fd_, deadline);
    const double passed = Seconds(peer::Clock::now() - start).count() * clockHz_;
    model_.PassFlashTime(std::min(busy, static_cast<uint64_t>(passed)));
    return waited;
}

bool RtlPeer::TakeInput() {
    for (;;) {
        uint8_t chunk[4096];
        const ssize_t n = read(fd_, chunk, sizeof(chunk));
        if (n > 0) {
            line_.Queue(chunk, static_cast<size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        // A raw terminal answers 0 or EAGAIN when it has nothing more.
        return n == 0 || errno == EAGAIN;
    }
}

// A client that stops reading cannot hold the board: what does not fit within a second is lost.
void RtlPeer::SendBack() {
    std::vector<uint8_t>& bytes = line_.Received();
    bytesBack_ += bytes.size();
    size_t done = 0;
    const auto deadline = peer::Clock::now() + kWriteAllowance;
    while (done < bytes.size()) {
        const ssize_t n = write(fd_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
        } else if ((n < 0 && errno != EAGAIN && errno != EINTR) || peer::Clock::now() >= deadline) {
            break;
        } else {
            usleep(1000);
        }
    }
    bytes.clear();
}

} // namespace tessary::rtl
