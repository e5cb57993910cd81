#pragma once

#include <QString>

#include <optional>

class QWidget;

namespace tessary {

// The file dialogs of the pages, modal to the page: the chosen path, or nothing when the user
// cancels. A default suffix is appended to a typed name that has none (the chosen format filter's
// extension, when one is chosen). Filters offer raw binary, Intel HEX and S-record files. The save
// dialog asks no
// question about an existing file: the page's output mode says what happens to it.
std::optional<QString> ChooseFileToOpen(QWidget* owner, const QString& defaultSuffix);
std::optional<QString> ChooseFileToSave(QWidget* owner, const QString& defaultSuffix);

} // namespace tessary
