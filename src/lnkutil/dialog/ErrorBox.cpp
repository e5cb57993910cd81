#include "ErrorBox.h"

#include <QMessageBox>

namespace tessary::lnkutil {

void ShowErrorBox(QWidget* parent, const QString& caption, const QString& text,
                  const QString& cause) {
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok, parent);
    box.setInformativeText(cause);
    box.exec();
}

} // namespace tessary::lnkutil
