// The device configuration dialog. This build has none: the call reports so and changes
// nothing. A dialog replaces this file; it edits a DeviceTable, saves it to DeviceTablePath()
// and calls Library::ReloadTable().
#include "lnkutil.h"

#include "lnkutil_erc.h"

extern "C" bool ZmgrStartConfigureDevices(void* /*owner*/, LnkErc* erc) {
    if (erc != nullptr) {
        *erc = LNK_ERC_NO_DIALOG;
    }
    return false;
}
