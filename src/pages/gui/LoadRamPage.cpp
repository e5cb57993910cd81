#include "LoadRamPage.h"

#include "Forms.h"
#include "LoadOperations.h"

namespace tessary {

LoadRamPage::LoadRamPage(QWidget* parent)
    : LoadPage(QSize(270, 192), LoadRamForm(),
               {kFileName, kBrowse, kFileOffset, kStartAddress, kLength, kVerify, 0, kLoad},
               QString(), {kVerify}, {ValidateLoadRamForm, LoadRamOperation}, parent) {}

} // namespace tessary
