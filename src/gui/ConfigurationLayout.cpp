#include "ConfigurationLayout.h"

#include "EraseFlashPage.h"
#include "MainWindow.h"

#include <initializer_list>

namespace tessary {
namespace {

void EnablePages(const MainWindow& window, std::initializer_list<int> indexes, bool enable) {
    for (const int index : indexes) {
        Page* page = window.PageAt(index);
        for (const int id : page->ControlIds()) {
            page->Control(id)->setEnabled(enable);
        }
    }
}

void EnableRamPages(const MainWindow& window, bool enable) {
    EnablePages(window, {kLoadRamPage, kStoreRamPage}, enable);
}

void EnableFlashPages(const MainWindow& window, bool enable) {
    EnablePages(window, {kEraseFlashPage, kLoadFlashPage, kStoreFlashPage}, enable);
}

void ShowBlockList(const MainWindow& window, int32_t configuration) {
    static_cast<EraseFlashPage*>(window.PageAt(kEraseFlashPage))->ShowBlockListOf(configuration);
}

} // namespace

void ApplyConfigurationLayout(const MainWindow& window, int32_t configuration) {
    switch (configuration) {
    case 0:
    case 1:
    case 5:
    case 6:
        EnableFlashPages(window, true);
        EnableRamPages(window, true);
        ShowBlockList(window, configuration);
        break;
    case 2:
        EnableFlashPages(window, false);
        EnableRamPages(window, true);
        break;
    case 3:
        EnableFlashPages(window, true);
        EnableRamPages(window, false);
        ShowBlockList(window, configuration);
        break;
    default:
        break;
    }
}

} // namespace tessary
