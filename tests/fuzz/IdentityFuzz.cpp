// Identity texts as a board (or a noisy line) may send them: the Flash size is read only from a
// well-formed fast group that ends the text, and nothing is read outside the text.
#include "IdentityFlash.h"

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

using namespace tessary;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view identity(reinterpret_cast<const char*>(data), size);
    const std::optional<uint32_t> flash = AnnouncedFlashSize(identity);
    if (!flash) {
        return 0;
    }
    const size_t group = identity.rfind(" {fast");
    if (group == std::string_view::npos || identity.back() != '}' ||
        identity.find(" f=", group) == std::string_view::npos) {
        std::abort();
    }
    // Text after the group means it does not end the identity: no size then.
    if (AnnouncedFlashSize(std::string(identity) + " x")) {
        std::abort();
    }
    return 0;
}
