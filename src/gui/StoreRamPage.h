#pragma once

#include "StorePage.h"

namespace tessary {

// "Store RAM": a range of the board's RAM into a file.
class StoreRamPage : public StorePage {
  public:
    enum ControlId : int {
        kStartAddress = 1054,
        kLength = 1055,
        kStore = 1056,
        kFileName = 1057,
        kBrowse = 1058,
        kFileOffset = 1059,
        kAppend = 1070,
        kReplace = 1071,
        kOverwrite = 1072,
        kOffsetLabel = 1075,
        kOffsetNote = 1076,
    };

    explicit StoreRamPage(QWidget* parent);
};

} // namespace tessary
