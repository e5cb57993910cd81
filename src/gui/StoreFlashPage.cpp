#include "StoreFlashPage.h"

#include "Forms.h"
#include "StoreOperations.h"

namespace tessary {

StoreFlashPage::StoreFlashPage(QWidget* parent)
    : StorePage(QSize(270, 192), StoreFlashForm(),
                {kFileName, kBrowse, kFileOffset, kOffsetLabel, kOffsetNote, kAppend, kReplace,
                 kOverwrite, kStartAddress, kLength, kStore},
                kStoreFlashTexts, StoreFlashToFile, parent) {}

} // namespace tessary
