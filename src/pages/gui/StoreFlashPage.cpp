#include "StoreFlashPage.h"

#include "Forms.h"
#include "StoreOperations.h"

namespace tessary {

StoreFlashPage::StoreFlashPage(QWidget* parent)
    : StorePage(QSize(270, 192), StoreFlashForm(),
                {kFileName, kBrowse, kFileOffset, 1073, 1074, kAppend, kReplace, kOverwrite,
                 kStartAddress, kLength, kStore},
                kStoreFlashTexts, StoreFlashToFile, parent) {}

} // namespace tessary
