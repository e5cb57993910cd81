#include "FileCause.h"

#include "FormFields.h"
#include "QuoteText.h"

#include <system_error>

namespace tessary {

std::string SystemReason(int error) {
    return std::generic_category().message(error);
}

std::string FileCause(std::string_view action, std::string_view path, int error) {
    return "cannot " + std::string(action) + " \"" + QuoteForMessage(path, kFileNameMaxChars) +
           "\": " + SystemReason(error);
}

} // namespace tessary
