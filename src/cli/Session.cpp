#include "Session.h"

#include "UiSinks.h"
#include "lnkutil.h"

namespace tessary::cli {

Session::Session() {
    gApp = &context_;
}

Session::~Session() {
    if (started_) {
        LnkTerm();
    }
    gApp = nullptr;
}

bool Session::Start(MessageSink& messages) {
    started_ = context_.Init();
    if (!started_) {
        messages.ShowMessage("The device library could not be initialised.", "", MessageIcon::Error,
                             false);
    }
    return started_;
}

} // namespace tessary::cli
