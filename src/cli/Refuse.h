#pragma once

#include "Sinks.h"

#include <string>

namespace tessary::cli {

// A problem with how the tool was called: shown as an error without a caption.
inline void Refuse(MessageSink& messages, const std::string& text) {
    messages.ShowMessage(text, "", MessageIcon::None, true);
}

} // namespace tessary::cli
