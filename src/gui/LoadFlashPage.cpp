#include "LoadFlashPage.h"

#include "Forms.h"
#include "LoadOperations.h"

#include <QCheckBox>
#include <QLabel>
#include <QStyle>
#include <QStyleOptionButton>

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
                kPreserve, kLoad},
               QStringLiteral("bin"), {kAutoErase, kVerify, kPreserve},
               {ValidateLoadFlashForm, LoadFlash}, parent) {
    // "programming." continues the text of "Auto erase before" on the line below it.
    auto* check = static_cast<QCheckBox*>(Control(kAutoErase));
    QStyleOptionButton option;
    option.initFrom(check);
    option.text = check->text();
    const QRect text = check->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, check);
    static_cast<QLabel*>(Control(kProgrammingLabel))->setIndent(text.left());
}

} // namespace tessary
