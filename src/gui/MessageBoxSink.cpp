#include "MessageBoxSink.h"

#include <QMessageBox>

namespace tessary {

void MessageBoxSink::ShowMessage(const std::string& text, const std::string& caption,
                                 MessageIcon icon, bool ownedByPage) {
    QMessageBox box(icon == MessageIcon::Error ? QMessageBox::Critical : QMessageBox::NoIcon,
                    QString::fromStdString(caption), QString::fromStdString(text), QMessageBox::Ok,
                    ownedByPage ? page_ : nullptr);
    box.exec();
}

} // namespace tessary
