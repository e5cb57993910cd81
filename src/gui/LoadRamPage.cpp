#include "LoadRamPage.h"

#include "Forms.h"
#include "LoadOperations.h"

namespace tessary {
namespace {

// RAM has no limit that depends on the memory configuration.
std::optional<LoadRequest> ValidateLoadRam(LoadForm& form, int32_t /*configuration*/,
                                           MessageSink& messages) {
    return ValidateLoadRamForm(form, messages);
}

} // namespace

LoadRamPage::LoadRamPage(QWidget* parent)
    : LoadPage(QSize(270, 192), LoadRamForm(),
               {kFileName, kBrowse, kFileOffset, kStartAddress, kLength, kVerify, 0, 0, 0, kLoad},
               QString(), {kVerify}, {ValidateLoadRam, LoadRamOperation}, parent) {}

} // namespace tessary
