#include "FormFields.h"

#include "ParseNumber.h"
#include "Sinks.h"

namespace tessary {

std::string ReadField(const std::string& text, std::size_t maxChars) {
    return text.substr(0, maxChars);
}

bool ParseNumberField(std::string& field, const char* what, const char* caption,
                      MessageSink& messages, int32_t& value) {
    std::string text = ReadField(field, kNumberFieldMaxChars);
    value = ParseNumber(text);
    // Addresses, offsets and lengths are never negative: a negative length would read nothing
    // and report it as done, a negative address would wrap to the top of the address space.
    if (value < 0) {
        value = -1;
        messages.ShowMessage(std::string("Must enter valid Decimal or Hex number to specify ") +
                                 what + ".",
                             caption, MessageIcon::None, true);
        return false;
    }
    field = text;
    return true;
}

} // namespace tessary
