#include "ConfigurationLayout.h"

#include "EraseFlashPage.h"
#include "MainWindow.h"
#include "MemoryConfigurations.h"

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
    for (const Configuration& module : Configurations()) {
        if (module.value == configuration) {
            EnableFlashPages(window, module.hasFlash);
            EnableRamPages(window, module.hasRam);
            if (module.hasFlash) {
                ShowBlockList(window, configuration);
            }
        }
    }
}

} // namespace tessary
