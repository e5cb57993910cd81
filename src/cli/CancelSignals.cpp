#include "CancelSignals.h"

#include <array>
#include <atomic>
#include <csignal>

namespace tessary::cli {
namespace {

constexpr std::array<int, 4> kSignals = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

// Only lock-free atomics are touched in the handler.
std::atomic<CancelToken*> gToken{nullptr};
std::atomic<int> gReceived{0};
std::array<struct sigaction, kSignals.size()> gPrevious{};

static_assert(std::atomic<CancelToken*>::is_always_lock_free);
static_assert(std::atomic<int>::is_always_lock_free);
static_assert(std::atomic<bool>::is_always_lock_free); // inside CancelToken

extern "C" void OnCancelSignal(int signal) {
    int none = 0;
    gReceived.compare_exchange_strong(none, signal);
    if (CancelToken* token = gToken.load()) {
        token->Cancel();
    }
}

} // namespace

CancelOnSignals::CancelOnSignals(CancelToken& token) {
    gReceived.store(0);
    gToken.store(&token);
    struct sigaction action {};
    action.sa_handler = OnCancelSignal;
    sigemptyset(&action.sa_mask);
    // A frame under way on a serial line is completed (the line carries on after EINTR), so the
    // board never sees half a frame; the next frame sees the cancel. SA_RESETHAND: the second
    // signal of a kind takes the default action.
    action.sa_flags = SA_RESETHAND;
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        sigaction(kSignals[i], &action, &gPrevious[i]);
    }
}

CancelOnSignals::~CancelOnSignals() {
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        sigaction(kSignals[i], &gPrevious[i], nullptr);
    }
    gToken.store(nullptr);
}

int CancelOnSignals::Received() {
    return gReceived.load();
}

} // namespace tessary::cli
