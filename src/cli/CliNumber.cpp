#include "CliNumber.h"

#include <cstdio>

namespace tessary::cli {
namespace {

constexpr int64_t kLargest = INT32_MAX;

int DigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return 99;
}

CliNumber NotANumber() {
    return {std::nullopt, "is not a number"};
}

} // namespace

CliNumber ParseCliNumber(std::string_view text) {
    if (text.empty()) {
        return {std::nullopt, "is empty"}; // a script's unset variable, not the default
    }
    std::string digits;
    for (const char c : text) {
        if (c != ',' && c != ' ') {
            digits += c;
        }
    }
    if (digits.starts_with('-')) {
        return {std::nullopt, "is negative"};
    }
    int base = 10;
    std::string_view rest = digits;
    const bool prefixed = rest.size() >= 2 && rest[0] == '0';
    if (prefixed && (rest[1] == 'x' || rest[1] == 'X')) {
        base = 16;
        rest.remove_prefix(2);
    } else if (prefixed && (rest[1] == 'b' || rest[1] == 'B')) {
        base = 2;
        rest.remove_prefix(2);
    } else if (rest.size() == 8 && rest.find_first_not_of("01") == std::string_view::npos) {
        base = 2;
    }
    if (rest.empty()) {
        return NotANumber();
    }
    int64_t value = 0;
    bool tooLarge = false;
    for (const char c : rest) {
        const int digit = DigitValue(c);
        if (digit >= base) {
            return NotANumber();
        }
        value = value * base + digit;
        if (value > kLargest) {
            // Keep reading: trailing text makes it no number at all.
            tooLarge = true;
            value = kLargest + 1;
        }
    }
    if (tooLarge) {
        return {std::nullopt, "is larger than 2147483647"};
    }
    return {static_cast<int32_t>(value), {}};
}

std::string PageText(int32_t value) {
    if (value == 0) {
        return "0";
    }
    char text[16];
    std::snprintf(text, sizeof(text), "0x%X", static_cast<unsigned>(value));
    return text;
}

} // namespace tessary::cli
