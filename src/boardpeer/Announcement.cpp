#include "Announcement.h"

#include "FrameCodec.h"

#include <algorithm>

namespace tessary::peer {

namespace {

constexpr int kUnlimitedWindow = 16;

} // namespace

protocol::FastCapabilities Announcement(int maxPayload, int window, size_t rxBuffer,
                                        uint32_t flashSize) {
    protocol::FastCapabilities fast;
    fast.maxPayload = maxPayload;
    fast.flashSize = flashSize;
    if (window != 0) {
        fast.window = window;
    } else if (rxBuffer != 0) {
        const size_t held = rxBuffer / static_cast<size_t>(maxPayload + frame::kOverhead);
        fast.window = static_cast<int>(
            std::clamp<size_t>(held, protocol::kMinFastWindow, protocol::kMaxFastWindow));
    } else {
        fast.window = kUnlimitedWindow;
    }
    return fast;
}

} // namespace tessary::peer
