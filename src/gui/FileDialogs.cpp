#include "FileDialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>

namespace tessary {
namespace {

// The folder of the file last chosen in any of the pages' dialogs; the next one opens there.
QString& LastFolder() {
    static QString folder;
    return folder;
}

// A filter of one format gives a typed name its first extension; "All files" gives the page's
// default suffix.
void FollowFilters(QFileDialog& dialog, const QString& defaultSuffix) {
    dialog.setNameFilters(FileDialogFilters());
    dialog.setDefaultSuffix(defaultSuffix);
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog, defaultSuffix](const QString& filter) {
                         static const QRegularExpression first(QStringLiteral("\\*\\.(\\w+)"));
                         const QRegularExpressionMatch match = first.match(filter);
                         dialog.setDefaultSuffix(match.hasMatch() ? match.captured(1)
                                                                  : defaultSuffix);
                     });
}

std::optional<QString> Run(QFileDialog& dialog, const QString& defaultSuffix) {
    FollowFilters(dialog, defaultSuffix);
    if (!LastFolder().isEmpty()) {
        dialog.setDirectory(LastFolder());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    const QString chosen = dialog.selectedFiles().constFirst();
    LastFolder() = QFileInfo(chosen).absolutePath();
    return chosen;
}

} // namespace

// The image formats a load reads and a store writes. A load also takes a file of any name
// ("All files"), raw bytes unless its extension names a text format, as a store's does.
QStringList FileDialogFilters() {
    return {QObject::tr("Binary images (*.bin *.img *.raw)"),
            QObject::tr("Intel HEX (*.hex *.ihex)"),
            QObject::tr("Motorola S-records (*.srec *.s19 *.s28 *.s37 *.mot)"),
            QObject::tr("All files (*)")};
}

QString LastFileDialogFolder() {
    return LastFolder();
}

std::optional<QString> ChooseFileToOpen(QWidget* owner, const QString& defaultSuffix) {
    QFileDialog dialog(owner);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    return Run(dialog, defaultSuffix);
}

std::optional<QString> ChooseFileToSave(QWidget* owner, const QString& defaultSuffix) {
    QFileDialog dialog(owner);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    return Run(dialog, defaultSuffix);
}

} // namespace tessary
