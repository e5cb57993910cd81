#include "FastAnnouncement.h"

#include <charconv>

namespace tessary::protocol {

namespace {

constexpr std::string_view kOpening = "{fast";

template <typename Number> bool ParseWhole(std::string_view text, int base, Number& value) {
    if (text.empty()) {
        return false;
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return error == std::errc() && end == text.data() + text.size();
}

bool ValidKey(std::string_view key) {
    if (key.empty()) {
        return false;
    }
    for (const char c : key) {
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_')) {
            return false;
        }
    }
    return true;
}

bool ValidValue(std::string_view value) {
    return !value.empty() && value.find_first_of(" {}=") == std::string_view::npos;
}

} // namespace

std::optional<FastCapabilities> ParseFastAnnouncement(std::string_view identity) {
    const size_t open = identity.rfind('{');
    if (open == std::string_view::npos || identity.back() != '}' ||
        (open > 0 && identity[open - 1] != ' ')) {
        return std::nullopt;
    }
    std::string_view group = identity.substr(open, identity.size() - open - 1);
    if (group.substr(0, kOpening.size()) != kOpening) {
        return std::nullopt;
    }
    group.remove_prefix(kOpening.size());
    FastCapabilities found;
    bool haveWindow = false;
    bool havePayload = false;
    bool haveFlash = false;
    bool haveExtensions = false;
    while (!group.empty()) {
        if (group[0] != ' ') {
            return std::nullopt;
        }
        group.remove_prefix(1);
        const size_t end = group.find(' ');
        const std::string_view item = group.substr(0, end);
        group.remove_prefix(item.size());
        const size_t equals = item.find('=');
        if (equals == std::string_view::npos) {
            return std::nullopt;
        }
        const std::string_view key = item.substr(0, equals);
        const std::string_view value = item.substr(equals + 1);
        if (!ValidKey(key) || !ValidValue(value)) {
            return std::nullopt;
        }
        if (key == "w") {
            if (haveWindow || !ParseWhole(value, 10, found.window) ||
                found.window < kMinFastWindow || found.window > kMaxFastWindow) {
                return std::nullopt;
            }
            haveWindow = true;
        } else if (key == "m") {
            if (havePayload || !ParseWhole(value, 10, found.maxPayload) ||
                found.maxPayload < kMinFastPayload || found.maxPayload > kMaxFastPayload) {
                return std::nullopt;
            }
            havePayload = true;
        } else if (key == "f") {
            uint32_t size = 0;
            if (haveFlash || !ParseWhole(value, 16, size)) {
                return std::nullopt;
            }
            found.flashSize = size;
            haveFlash = true;
        } else if (key == "x") {
            if (haveExtensions) {
                return std::nullopt;
            }
            found.checksum = value.find('c') != std::string_view::npos;
            found.fill = value.find('f') != std::string_view::npos;
            found.runs = value.find('r') != std::string_view::npos;
            haveExtensions = true;
        }
    }
    if (!haveWindow || !havePayload) {
        return std::nullopt;
    }
    return found;
}

std::string FormatFastAnnouncement(const FastCapabilities& capabilities) {
    std::string text = " {fast w=" + std::to_string(capabilities.window) +
                       " m=" + std::to_string(capabilities.maxPayload);
    if (capabilities.flashSize) {
        char hex[9] = {};
        const auto end = std::to_chars(hex, hex + sizeof(hex), *capabilities.flashSize, 16).ptr;
        text += " f=" + std::string(hex, end);
    }
    if (capabilities.checksum || capabilities.fill || capabilities.runs) {
        text += " x=";
        text += capabilities.checksum ? "c" : "";
        text += capabilities.fill ? "f" : "";
        text += capabilities.runs ? "r" : "";
    }
    return text + "}";
}

} // namespace tessary::protocol
