#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

namespace tessary {

// The file dialogs of the pages, modal to the page: the chosen path, or nothing when the user
// cancels. A default suffix is appended to a typed name that has none. The save dialog asks no
// question about an existing file: the page's output mode says what happens to it.
std::optional<QString> ChooseFileToOpen(QWidget* owner, const QString& defaultSuffix);
std::optional<QString> ChooseFileToSave(QWidget* owner, const QString& defaultSuffix);

// Both dialogs open in the folder of the file last chosen in either (for this run of the
// program) and offer these filters, binary images first.
QStringList FileDialogFilters();
QString LastFileDialogFolder();

} // namespace tessary
