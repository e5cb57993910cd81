// Without a QApplication there is no dialog to show: the call says so and changes nothing, and a
// process that never loaded Qt does not load it through the library either.
#include "lnkutil.h"
#include "lnkutil_erc.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <link.h>

#include <cstring>

namespace {

constexpr const char* kWidgets = "libQt6Widgets.so.6";
constexpr const char* kModule = "liblnkutil-dialog.so";

// Whether an object whose path contains `name` is loaded in this process.
bool Loaded(const char* name) {
    auto visit = [](dl_phdr_info* info, size_t, void* wanted) {
        return std::strstr(info->dlpi_name, static_cast<const char*>(wanted)) != nullptr ? 1 : 0;
    };
    return dl_iterate_phdr(visit, const_cast<char*>(name)) != 0;
}

LnkErc ConfigureWithoutApplication() {
    LnkErc error = 0;
    EXPECT_TRUE(LnkInit(&error));
    error = 0;
    EXPECT_FALSE(ZmgrStartConfigureDevices(nullptr, &error));
    LnkTerm();
    return error;
}

} // namespace

TEST(DeviceDialogHeadless, ReportsThatThereIsNoDialogAndLoadsNoQt) {
    ASSERT_FALSE(Loaded(kWidgets));
    EXPECT_EQ(ConfigureWithoutApplication(), LNK_ERC_NO_DIALOG);
    EXPECT_FALSE(Loaded(kWidgets));
    EXPECT_FALSE(Loaded(kModule));
}

// A program that has Qt but runs no QApplication: the module is loaded and finds none.
TEST(DeviceDialogHeadless, WithQtLoadedButNoApplicationReportsNoDialog) {
    void* widgets = dlopen(kWidgets, RTLD_NOW | RTLD_GLOBAL);
    ASSERT_NE(widgets, nullptr) << dlerror();
    EXPECT_EQ(ConfigureWithoutApplication(), LNK_ERC_NO_DIALOG);
    EXPECT_TRUE(Loaded(kModule));
}
