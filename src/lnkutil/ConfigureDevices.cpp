// ZmgrStartConfigureDevices: loads the dialog module beside the library on first use and runs
// it. A process that has not loaded Qt Widgets runs no QApplication, so the module (and Qt with
// it) is never loaded there; the call then reports that there is no dialog.
#include "DialogModule.h"
#include "Library.h"
#include "LibraryPaths.h"
#include "lnkutil.h"
#include "lnkutil_erc.h"

#include <dlfcn.h>

#include <mutex>
#include <string>

namespace {

using tessary::lnkutil::DialogEntry;
using tessary::lnkutil::DialogOutcome;
using tessary::lnkutil::Library;

bool Fail(LnkErc* erc, LnkErc code) {
    if (erc != nullptr) {
        *erc = code;
    }
    return false;
}

bool QtWidgetsLoaded() {
    void* widgets = dlopen("libQt6Widgets.so.6", RTLD_LAZY | RTLD_NOLOAD);
    if (widgets == nullptr) {
        return false;
    }
    dlclose(widgets); // drops only the reference RTLD_NOLOAD took
    return true;
}

// The folder of the file this function was loaded from, with a trailing slash.
std::string LibraryFolder() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&ZmgrStartConfigureDevices), &info) == 0 ||
        info.dli_fname == nullptr) {
        return {};
    }
    const std::string file = info.dli_fname;
    const size_t slash = file.rfind('/');
    return slash == std::string::npos ? std::string() : file.substr(0, slash + 1);
}

// The module's entry, loaded once and kept: Qt is not made to be unloaded.
DialogEntry LoadDialog() {
    static std::once_flag once;
    static DialogEntry entry = nullptr;
    std::call_once(once, [] {
        const std::string path = LibraryFolder() + tessary::lnkutil::kDialogModulePath;
        if (void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
            entry =
                reinterpret_cast<DialogEntry>(dlsym(module, tessary::lnkutil::kDialogEntryName));
        }
    });
    return entry;
}

} // namespace

extern "C" bool ZmgrStartConfigureDevices(void* owner, LnkErc* erc) {
    if (!QtWidgetsLoaded()) {
        return Fail(erc, LNK_ERC_NO_DIALOG);
    }
    Library& library = Library::Instance();
    int32_t count = 0;
    if (library.DeviceCount(&count) != LNK_ERC_OK) {
        return Fail(erc, LNK_ERC_NOT_INITIALISED);
    }
    const DialogEntry run = LoadDialog();
    if (run == nullptr) {
        return Fail(erc, LNK_ERC_NO_DIALOG);
    }
    const std::string path = tessary::lnkutil::DeviceTablePath();
    const auto outcome = static_cast<DialogOutcome>(run(owner, path.c_str()));
    if (outcome == DialogOutcome::Unavailable) {
        return Fail(erc, LNK_ERC_NO_DIALOG);
    }
    if (outcome == DialogOutcome::Saved) {
        library.ReloadTable();
    }
    if (erc != nullptr) {
        *erc = LNK_ERC_OK;
    }
    return true;
}
