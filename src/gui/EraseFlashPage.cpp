#include "EraseFlashPage.h"

#include "AppContext.h"
#include "EraseFlash.h"
#include "FormBuilder.h"
#include "Forms.h"
#include "MainWindowStatus.h"

#include <QGridLayout>

#include <algorithm>

namespace tessary {
namespace {

void RetainSizeWhenHidden(QWidget* control) {
    QSizePolicy policy = control->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    control->setSizePolicy(policy);
}

} // namespace

EraseFlashPage::EraseFlashPage(QWidget* parent) : Page(QSize(270, 152), parent) {
    BuildGridForm(*this, EraseFlashForm());
    // The lists keep their place and their size when hidden, so the buttons never move and the
    // page is tall enough for the longer list, which is hidden while the page is sized; the
    // buttons stand one under the other beside the list, whose height goes to the row below them.
    for (const BlockList& list : {kSmallList, kLargeList}) {
        RetainSizeWhenHidden(Control(list.group));
        layout()->setAlignment(Control(list.group), Qt::AlignTop); // no taller than its list
        for (int k = 0; k < list.count; ++k) {
            RetainSizeWhenHidden(Control(list.firstCheck + k));
        }
    }
    static_cast<QGridLayout*>(layout())->setRowStretch(2, 1);
    const int buttonWidth = std::max(Control(kEraseAll)->sizeHint().width(),
                                     Control(kEraseSelected)->sizeHint().width());
    Control(kEraseAll)->setMinimumWidth(buttonWidth);
    Control(kEraseSelected)->setMinimumWidth(buttonWidth);
}

void EraseFlashPage::OnInit() {
    for (const BlockList& list : {kSmallList, kLargeList}) {
        for (int i = 0; i < list.count; ++i) {
            SetChecked(list.firstCheck + i, true);
        }
    }
}

void EraseFlashPage::OnCommand(int id, Notification /*code*/) {
    if (id == kEraseAll) {
        // Every block of the configuration, whatever the boxes say.
        const Session session = CurrentSession();
        EraseFlashBlocks(session, AllFlashBlocks(session.memoryConfiguration), MainWindowStatus(),
                         Messages());
    } else if (id == kEraseSelected) {
        EraseSelectedFlashBlocks(CurrentSession(), CheckedBlocks(), MainWindowStatus(), Messages());
    }
}

std::vector<int32_t> EraseFlashPage::CheckedBlocks() const {
    std::vector<int32_t> blocks;
    for (const BlockList& list : {kSmallList, kLargeList}) {
        if (Control(list.group)->isHidden()) {
            continue;
        }
        for (int k = 0; k < list.count; ++k) {
            if (IsChecked(list.firstCheck + k)) {
                blocks.push_back(k);
            }
        }
    }
    return blocks;
}

void EraseFlashPage::ShowBlockList(const BlockList& list) {
    const BlockList& other = list.group == kSmallList.group ? kLargeList : kSmallList;
    SetListVisible(other, false);
    SetListVisible(list, true);
    Control(kEraseSelected)->show();
}

void EraseFlashPage::HideBlockLists() {
    SetListVisible(kSmallList, false);
    SetListVisible(kLargeList, false);
    Control(kEraseSelected)->hide();
}

void EraseFlashPage::SetListVisible(const BlockList& list, bool visible) {
    Control(list.group)->setVisible(visible);
    for (int i = 0; i < list.count; ++i) {
        Control(list.firstCheck + i)->setVisible(visible);
    }
}

} // namespace tessary
