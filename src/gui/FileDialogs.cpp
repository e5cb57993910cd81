#include "FileDialogs.h"

#include <QFileDialog>
#include <QFileInfo>

namespace tessary {
namespace {

// The folder of the file last chosen in any of the pages' dialogs; the next one opens there.
QString& LastFolder() {
    static QString folder;
    return folder;
}

std::optional<QString> Run(QFileDialog& dialog, const QString& defaultSuffix) {
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.setNameFilters(FileDialogFilters());
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

QStringList FileDialogFilters() {
    return {QObject::tr("Binary images (*.bin *.img *.raw)"), QObject::tr("All files (*)")};
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
