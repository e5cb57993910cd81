#pragma once

#include "LoadPage.h"

namespace tessary {

// "Load Flash": a file, or a slice of it, programmed into the board's Flash.
class LoadFlashPage : public LoadPage {
  public:
    enum ControlId : int {
        kFileName = 1037,
        kBrowse = 1038,
        kFileOffset = 1039,
        kStartAddress = 1040,
        kLength = 1041,
        kLoad = 1042,
        kAutoErase = 1043,
        kVerify = 1044,
        kProgrammingLabel = 1094,
        kPreserve = 1095, // the bytes of partly covered blocks are programmed back
        kSkip = 1096,     // blocks that already hold the image are neither erased nor programmed
    };

    explicit LoadFlashPage(QWidget* parent);
};

} // namespace tessary
