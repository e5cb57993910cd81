#include "FormFields.h"

#include "ParseNumber.h"

namespace tessary {

std::string ReadField(const std::string& text, std::size_t maxChars) {
    return text.substr(0, maxChars);
}

int32_t ParseNumberField(std::string& field) {
    std::string text = ReadField(field, kNumberFieldMaxChars);
    const int32_t value = ParseNumber(text);
    if (value != -1) {
        field = text;
    }
    return value;
}

} // namespace tessary
