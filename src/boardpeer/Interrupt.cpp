#include "Interrupt.h"

#include <csignal>
#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace tessary::peer {

Interrupt::Interrupt() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    if (sigprocmask(SIG_BLOCK, &signals, nullptr) == 0) {
        fd_ = signalfd(-1, &signals, SFD_CLOEXEC | SFD_NONBLOCK);
    }
}

Interrupt::~Interrupt() {
    if (fd_ >= 0) {
        close(fd_);
    }
}

bool Interrupt::Raised() {
    if (!raised_) {
        pollfd entry{fd_, POLLIN, 0};
        raised_ = poll(&entry, 1, 0) > 0;
    }
    return raised_;
}

bool Interrupt::Wait(int fd, Clock::time_point deadline) {
    for (;;) {
        if (Raised()) {
            return false;
        }
        const auto left = deadline - Clock::now();
        if (left <= Clock::duration::zero()) {
            return true;
        }
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
        const timespec timeout{static_cast<time_t>(ns / 1000000000),
                               static_cast<long>(ns % 1000000000)};
        pollfd entries[2] = {{fd_, POLLIN, 0}, {fd, POLLIN, 0}};
        const int ready = ppoll(entries, fd >= 0 ? 2 : 1, &timeout, nullptr);
        if (ready > 0 && fd >= 0 && entries[1].revents != 0) {
            return !Raised();
        }
    }
}

} // namespace tessary::peer
