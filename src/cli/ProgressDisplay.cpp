#include "ProgressDisplay.h"

namespace tessary::cli {

void ProgressDisplay::Begin(const std::string&, const std::string&) {}

bool ProgressDisplay::ShowMessage(const ShownMessage&) {
    Clear();
    return false;
}

bool ProgressDisplay::Finish(const Outcome&) {
    Clear();
    return false;
}

} // namespace tessary::cli
