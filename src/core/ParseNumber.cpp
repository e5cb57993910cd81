#include "ParseNumber.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace tessary {
namespace {

int32_t Saturate(long value) {
    if (value > INT32_MAX) {
        return INT32_MAX;
    }
    if (value < INT32_MIN) {
        return INT32_MIN;
    }
    return static_cast<int32_t>(value);
}

int32_t ParseBinary(const char* text) {
    int32_t value = 0;
    for (int i = 0; i < 8; ++i) {
        value = (value << 1) | (text[i] == '1' ? 1 : 0);
    }
    return value;
}

} // namespace

NumberClass ClassifyNumber(char* text) {
    char* out = text;
    for (const char* in = text; *in != '\0'; ++in) {
        if (*in != ',' && *in != ' ') {
            *out++ = *in;
        }
    }
    *out = '\0';

    const size_t length = static_cast<size_t>(out - text);
    if (length >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        return NumberClass::Hexadecimal;
    }
    if (length != 8) {
        return NumberClass::Decimal;
    }
    for (size_t i = 0; i < 8; ++i) {
        if (text[i] == '0' || text[i] == '1') {
            continue;
        }
        return (text[i] >= '2' && text[i] <= '9') ? NumberClass::Decimal : NumberClass::Invalid;
    }
    return NumberClass::Binary;
}

int32_t ParseNumber(char* text) {
    switch (ClassifyNumber(text)) {
    case NumberClass::Binary:
        return ParseBinary(text);
    case NumberClass::Decimal: {
        const int32_t value = Saturate(std::strtol(text, nullptr, 10));
        if (value == 0 && std::strcmp(text, "0") != 0) {
            return -1;
        }
        return value;
    }
    case NumberClass::Hexadecimal: {
        const int32_t value = Saturate(std::strtol(text, nullptr, 16));
        if (value == 0 && std::strcmp(text, "0x00") != 0 && std::strcmp(text, "0X00") != 0) {
            return -1;
        }
        return value;
    }
    case NumberClass::Invalid:
        break;
    }
    return -1;
}

int32_t ParseNumber(std::string& text) {
    const int32_t value = ParseNumber(text.data());
    text.resize(std::strlen(text.c_str()));
    return value;
}

} // namespace tessary
