// How the device dialogs report a problem, all alike: the error icon, the dialog's caption, what
// went wrong as the text and, when it is known, why as the informative text below it.
#pragma once

#include <QString>

class QWidget;

namespace tessary::lnkutil {

void ShowErrorBox(QWidget* parent, const QString& caption, const QString& text,
                  const QString& cause = QString());

} // namespace tessary::lnkutil
