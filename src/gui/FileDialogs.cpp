#include "FileDialogs.h"

#include <QFileDialog>
#include <QRegularExpression>

namespace tessary {
namespace {

// The image formats a load reads and a store writes. "All files" comes first: a load takes any
// file (its first record tells the format), and a store's extension chooses its format.
const QStringList& NameFilters() {
    static const QStringList filters = {
        QStringLiteral("All files (*)"),
        QStringLiteral("Raw binary (*.bin)"),
        QStringLiteral("Intel HEX (*.hex *.ihex)"),
        QStringLiteral("Motorola S-records (*.srec *.s19 *.s28 *.s37 *.mot)"),
    };
    return filters;
}

// A filter of one format gives a typed name its first extension; "All files" gives the page's
// default suffix.
void FollowFilters(QFileDialog& dialog, const QString& defaultSuffix) {
    dialog.setNameFilters(NameFilters());
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
