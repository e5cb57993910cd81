#include "EraseFlashPage.h"

#include "AppContext.h"
#include "EraseFlash.h"
#include "FlashGeometry.h"
#include "FormBuilder.h"
#include "Forms.h"
#include "MemoryConfigurations.h"
#include "StringTable.h"
#include "WindowOperations.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>
#include <utility>

namespace tessary {
namespace {

void RetainSizeWhenHidden(QWidget* control) {
    QSizePolicy policy = control->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    control->setSizePolicy(policy);
}

// The list whose boxes stand for the blocks of the configuration's Flash layout.
const EraseFlashPage::BlockList* ListOf(int32_t configuration) {
    for (const EraseFlashPage::BlockList& list : EraseFlashPage::kLists) {
        if (&LayoutFor(list.configuration) == &LayoutFor(configuration)) {
            return &list;
        }
    }
    return nullptr;
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
    AddScrolledList(kParvel4List);
    AddScrolledList(kParvel16List);
    static_cast<QGridLayout*>(layout())->setRowStretch(2, 1);
    const int buttonWidth = std::max(Control(kEraseAll)->sizeHint().width(),
                                     Control(kEraseSelected)->sizeHint().width());
    Control(kEraseAll)->setMinimumWidth(buttonWidth);
    Control(kEraseSelected)->setMinimumWidth(buttonWidth);
}

// A group box like the others, in the same cell; its check boxes scroll, so that the page is no
// taller than for the eleven-block list.
void EraseFlashPage::AddScrolledList(const BlockList& list) {
    auto* group = new QGroupBox(QStringLiteral("Blocks To Erase"), this);
    auto* selection = new QHBoxLayout;
    for (const auto& [id, text] :
         {std::pair{list.selectAll, "Select all"}, std::pair{list.selectNone, "Select none"}}) {
        auto* button = new QPushButton(QString::fromLatin1(text), group);
        selection->addWidget(button);
        AddControl(id, button);
    }
    selection->addStretch(1);
    auto* scroll = new QScrollArea(group);
    auto* boxes = new QWidget(scroll);
    auto* column = new QVBoxLayout(boxes);
    for (int k = 0; k < list.count; ++k) {
        char label[48];
        std::snprintf(label, sizeof(label), "%06Xh - 128K Block",
                      BlockAddress(list.configuration, k));
        auto* check = new QCheckBox(QString::fromLatin1(label), boxes);
        column->addWidget(check);
        AddControl(list.firstCheck + k, check);
    }
    scroll->setWidget(boxes);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // As wide as its check boxes and the scroll bar; as tall as the cell it is given.
    scroll->setMinimumWidth(boxes->sizeHint().width() +
                            scroll->verticalScrollBar()->sizeHint().width());
    scroll->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Ignored);
    auto* frame = new QVBoxLayout(group);
    frame->addLayout(selection);
    frame->addWidget(scroll);
    group->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Ignored);
    AddControl(list.group, group);
    RetainSizeWhenHidden(group);
    static_cast<QGridLayout*>(layout())->addWidget(group, 0, 0, 3, 1);
    SetListVisible(list, false);
}

void EraseFlashPage::OnInit() {
    for (const BlockList& list : kLists) {
        CheckAll(list, true);
    }
}

void EraseFlashPage::OnCommand(int id, Notification /*code*/) {
    if (id == kEraseAll) {
        // Every block of the configuration, whatever the boxes say.
        RunInWindow(
            [session = CurrentSession()](StatusSink& status, MessageSink& messages,
                                         const CancelToken& cancel) {
                return EraseFlashBlocks(session, AllFlashBlocks(session.memoryConfiguration),
                                        status, messages, cancel);
            },
            Messages());
    } else if (id == kEraseSelected) {
        EraseSelected();
    }
    for (const BlockList& list : kLists) {
        if (id != 0 && (id == list.selectAll || id == list.selectNone)) {
            CheckAll(list, id == list.selectAll);
        }
    }
}

void EraseFlashPage::CheckAll(const BlockList& list, bool checked) {
    for (int k = 0; k < list.count; ++k) {
        SetChecked(list.firstCheck + k, checked);
    }
}

// The configuration is read once: the boxes' blocks and the erase both come from it.
void EraseFlashPage::EraseSelected() {
    const Session session = CurrentSession();
    std::optional<std::vector<int32_t>> blocks = CheckedBlocks(session.memoryConfiguration);
    if (!blocks) {
        Messages().ShowMessage(
            std::string("The blocks shown are not those of the memory configuration in force, ") +
                ConfigurationOfValue(session.memoryConfiguration).label +
                "; nothing was erased. Choose the configuration again on the Properties page.",
            LoadResString(kStrErrorCaption), MessageIcon::Error, true);
        return;
    }
    RunInWindow(
        [session, blocks = std::move(*blocks)](StatusSink& status, MessageSink& messages,
                                               const CancelToken& cancel) {
            return EraseSelectedFlashBlocks(session, blocks, status, messages, cancel);
        },
        Messages());
}

std::optional<std::vector<int32_t>> EraseFlashPage::CheckedBlocks(int32_t configuration) const {
    const BlockList* list = ListOf(configuration);
    if (list == nullptr || list->count != BlockCount(configuration)) {
        return std::nullopt;
    }
    for (const BlockList& other : kLists) {
        if (Control(other.group)->isHidden() != (other.group != list->group)) {
            return std::nullopt; // the configuration's list hidden, or another one shown
        }
    }
    std::vector<int32_t> blocks;
    for (int k = 0; k < list->count; ++k) {
        if (IsChecked(list->firstCheck + k)) {
            blocks.push_back(k);
        }
    }
    return blocks;
}

void EraseFlashPage::ShowBlockListOf(int32_t configuration) {
    const BlockList* shown = ListOf(configuration);
    for (const BlockList& list : kLists) {
        SetListVisible(list, &list == shown);
    }
    Control(kEraseSelected)->setVisible(shown != nullptr);
}

void EraseFlashPage::SetListVisible(const BlockList& list, bool visible) {
    Control(list.group)->setVisible(visible);
    for (const int button : {list.selectAll, list.selectNone}) {
        if (button != 0) {
            Control(button)->setVisible(visible);
        }
    }
    for (int i = 0; i < list.count; ++i) {
        Control(list.firstCheck + i)->setVisible(visible);
    }
}

} // namespace tessary
