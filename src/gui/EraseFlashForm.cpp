#include "Forms.h"

#include "FlashGeometry.h"

#include <vector>

namespace tessary {
namespace {

using enum ControlKind;

// A group box with one check box per block of a Flash layout, labelled as the layout says.
void AddBlockList(std::vector<GridControl>& form, int groupId, int firstCheckId,
                  int32_t configuration, bool hidden) {
    form.push_back({groupId, Group, "Blocks To Erase", kPageFrame, 0, 0, 1, 3, hidden});
    int row = 0;
    for (const char* label : LayoutFor(configuration).labels) {
        form.push_back({firstCheckId + row, Check, label, groupId, row, 0, 1, 1, hidden});
        ++row;
    }
}

std::vector<GridControl> MakeForm() {
    std::vector<GridControl> form;
    AddBlockList(form, 1085, 1020, 0, false);
    AddBlockList(form, 1084, 1027, 3, true);
    form.push_back({1039, Button, "Erase All", kPageFrame, 0, 1});
    form.push_back({1038, Button, "Erase Selected", kPageFrame, 1, 1});
    return form;
}

} // namespace

GridForm EraseFlashForm() {
    static const std::vector<GridControl> form = MakeForm();
    return form;
}

} // namespace tessary
