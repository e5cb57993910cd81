// Any identity a board sends: the parser never reads outside it, and what it accepts is in range
// and formats back to a group it accepts again.
#include "FastAnnouncement.h"

#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tessary::protocol;
    const std::string_view identity(reinterpret_cast<const char*>(data), size);
    const auto fast = ParseFastAnnouncement(identity);
    if (!fast) {
        return 0;
    }
    if (fast->window < kMinFastWindow || fast->window > kMaxFastWindow ||
        fast->maxPayload < kMinFastPayload || fast->maxPayload > kMaxFastPayload) {
        std::abort();
    }
    const auto again = ParseFastAnnouncement("B" + FormatFastAnnouncement(*fast));
    if (!again || again->window != fast->window || again->maxPayload != fast->maxPayload ||
        again->flashSize != fast->flashSize) {
        std::abort();
    }
    return 0;
}
