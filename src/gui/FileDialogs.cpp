#include "FileDialogs.h"

#include <QFileDialog>

namespace tessary {
namespace {

std::optional<QString> Run(QFileDialog& dialog, const QString& defaultSuffix) {
    dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().constFirst();
}

} // namespace

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
