#include "StoreRamPage.h"

#include "Forms.h"
#include "StoreOperations.h"

namespace tessary {

StoreRamPage::StoreRamPage(QWidget* parent)
    : StorePage(QSize(271, 192), StoreRamForm(),
                {kFileName, kBrowse, kFileOffset, kOffsetLabel, kOffsetNote, kAppend, kReplace,
                 kOverwrite, kStartAddress, kLength, kStore},
                kStoreRamTexts, StoreRamToFile, parent) {}

} // namespace tessary
