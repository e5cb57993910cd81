#pragma once

#include "StorePage.h"

namespace tessary {

// "Store Flash": a range of the board's Flash into a file.
class StoreFlashPage : public StorePage {
  public:
    enum ControlId : int {
        kStartAddress = 1048,
        kLength = 1049,
        kStore = 1050,
        kFileName = 1051,
        kBrowse = 1052,
        kFileOffset = 1053,
        kAppend = 1067,
        kReplace = 1068,
        kOverwrite = 1069,
        kOffsetLabel = 1073,
        kOffsetNote = 1074,
    };

    explicit StoreFlashPage(QWidget* parent);
};

} // namespace tessary
