#include "DeviceLibrary.h"

#include "Sinks.h"
#include "lnkutil.h"

namespace tessary::cli {

DeviceLibrary::~DeviceLibrary() {
    if (started_) {
        LnkTerm();
    }
}

bool DeviceLibrary::Start(MessageSink& messages) {
    LnkErc error = 0;
    started_ = LnkInit(&error);
    if (!started_) {
        messages.ShowMessage("The device library could not be initialised.", "", MessageIcon::Error,
                             false);
    }
    return started_;
}

} // namespace tessary::cli
