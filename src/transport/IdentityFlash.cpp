#include "IdentityFlash.h"

#include <charconv>

namespace tessary {
namespace {

std::optional<uint32_t> Number(std::string_view text, int base) {
    uint32_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

} // namespace

std::optional<uint32_t> AnnouncedFlashSize(std::string_view identity) {
    constexpr std::string_view kOpen = " {fast";
    const size_t open = identity.rfind(kOpen);
    if (open == std::string_view::npos || identity.back() != '}') {
        return std::nullopt;
    }
    std::string_view keys = identity.substr(open + kOpen.size());
    keys.remove_suffix(1);
    bool haveWindow = false;
    bool haveMaximum = false;
    std::optional<uint32_t> flash;
    // Keys come in any order, each after one space; unknown keys are room to grow.
    while (!keys.empty()) {
        if (keys.front() != ' ') {
            return std::nullopt;
        }
        keys.remove_prefix(1);
        const size_t end = keys.find(' ');
        const std::string_view word = keys.substr(0, end);
        keys.remove_prefix(end == std::string_view::npos ? keys.size() : end);
        const size_t eq = word.find('=');
        if (eq == std::string_view::npos || eq == 0) {
            return std::nullopt;
        }
        const std::string_view key = word.substr(0, eq);
        const std::string_view value = word.substr(eq + 1);
        if (key == "w") {
            const auto w = Number(value, 10);
            haveWindow = w && *w >= 1 && *w <= 32;
            if (!haveWindow) {
                return std::nullopt;
            }
        } else if (key == "m") {
            const auto m = Number(value, 10);
            haveMaximum = m && *m >= 65 && *m <= 255;
            if (!haveMaximum) {
                return std::nullopt;
            }
        } else if (key == "f") {
            flash = Number(value, 16);
            if (!flash) {
                return std::nullopt;
            }
        }
    }
    if (!haveWindow || !haveMaximum) {
        return std::nullopt;
    }
    return flash;
}

} // namespace tessary
