#include "LoadFlashPage.h"

#include "Forms.h"
#include "LoadOperations.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QStyleOptionButton>

#include <algorithm>

namespace tessary {
namespace {

// The load with the chip's usual erase wait.
bool LoadFlash(const Session& session, const LoadRequest& request, StatusSink& status,
               MessageSink& messages, const CancelToken& cancel) {
    return LoadFlashOperation(session, request, status, messages, cancel);
}

} // namespace

LoadFlashPage::LoadFlashPage(QWidget* parent)
    : LoadPage(QSize(270, 192), LoadFlashForm(),
               {kFileName, kBrowse, kFileOffset, kStartAddress, kLength, kVerify, kAutoErase,
                kPreserve, kSkip, kLoad},
               QStringLiteral("bin"), {kAutoErase, kVerify, kPreserve, kSkip},
               {ValidateLoadFlashForm, LoadFlash}, parent) {
    // "programming." goes on with the text of "Auto erase before" on the same line, one blank
    // after it, so that the two read as one label; Load stays at the right end of that line. The
    // line is a row of its own across the group, so that it does not widen the group's columns.
    auto* check = static_cast<QCheckBox*>(Control(kAutoErase));
    QWidget* rest = Control(kProgrammingLabel);
    QWidget* load = Control(kLoad);
    auto* grid = static_cast<QGridLayout*>(rest->parentWidget()->layout());
    int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
    grid->getItemPosition(grid->indexOf(check), &row, &column, &rowSpan, &columnSpan);
    for (QWidget* moved : {static_cast<QWidget*>(check), rest, load}) {
        grid->removeWidget(moved);
    }
    QStyleOptionButton option;
    option.initFrom(check);
    option.text = check->text();
    const QRect text = check->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, check);
    const QFontMetrics metrics(check->font());
    // The box ends a pixel after its text, where the blank begins.
    check->setFixedWidth(text.left() + metrics.horizontalAdvance(check->text()) + 1);
    auto* line = new QHBoxLayout;
    line->setSpacing(0);
    line->addWidget(check);
    line->addSpacing(std::max(0, metrics.horizontalAdvance(QLatin1Char(' ')) - 1));
    line->addWidget(rest);
    line->addStretch(1);
    line->addWidget(load);
    grid->addLayout(line, row, 0, 1, grid->columnCount());
}

} // namespace tessary
