#pragma once

#include "LoadPage.h"

namespace tessary {

// "Load RAM": a file, or a slice of it, into the board's RAM.
class LoadRamPage : public LoadPage {
  public:
    enum ControlId : int {
        kFileName = 1031,
        kBrowse = 1032,
        kFileOffset = 1033,
        kStartAddress = 1034,
        kLength = 1035,
        kLoad = 1036,
        kVerify = 1046,
    };

    explicit LoadRamPage(QWidget* parent);
};

} // namespace tessary
