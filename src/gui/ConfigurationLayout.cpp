#include "ConfigurationLayout.h"

#include "EraseFlashPage.h"
#include "MainWindow.h"

#include <initializer_list>

namespace tessary {
namespace {

void EnablePages(std::initializer_list<int> indexes, bool enable) {
    for (const int index : indexes) {
        Page* page = gMainWindow->PageAt(index);
        for (const int id : page->ControlIds()) {
            page->Control(id)->setEnabled(enable);
        }
    }
}

void EnableRamPages(bool enable) {
    EnablePages({kLoadRamPage, kStoreRamPage}, enable);
}

void EnableFlashPages(bool enable) {
    EnablePages({kEraseFlashPage, kLoadFlashPage, kStoreFlashPage}, enable);
}

EraseFlashPage& ErasePage() {
    return *static_cast<EraseFlashPage*>(gMainWindow->PageAt(kEraseFlashPage));
}

} // namespace

void ApplyConfigurationLayout(int32_t configuration) {
    if (gMainWindow == nullptr) {
        return;
    }
    switch (configuration) {
    case 0:
    case 1:
        EnableFlashPages(true);
        EnableRamPages(true);
        ErasePage().ShowBlockList(EraseFlashPage::kSmallList);
        break;
    case 2:
        EnableFlashPages(false);
        EnableRamPages(true);
        break;
    case 3:
        EnableFlashPages(true);
        EnableRamPages(false);
        ErasePage().ShowBlockList(EraseFlashPage::kLargeList);
        break;
    case 5:
        EnableFlashPages(true);
        EnableRamPages(true);
        ErasePage().ShowBlockList(EraseFlashPage::kParvel4List);
        break;
    case 6:
        EnableFlashPages(true);
        EnableRamPages(true);
        ErasePage().ShowBlockList(EraseFlashPage::kParvel16List);
        break;
    default:
        break;
    }
}

} // namespace tessary
