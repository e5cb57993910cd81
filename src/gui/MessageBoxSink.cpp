#include "MessageBoxSink.h"

#include <QMessageBox>

namespace tessary {

void MessageBoxSink::ShowMessage(const std::string& text, const std::string& caption,
                                 MessageIcon icon, bool ownedByPage) {
    ShowMessageWithCause(text, caption, icon, ownedByPage, std::string());
}

void MessageBoxSink::ShowMessageWithCause(const std::string& text, const std::string& caption,
                                          MessageIcon icon, bool ownedByPage,
                                          const std::string& cause) {
    QMessageBox box(icon == MessageIcon::Error ? QMessageBox::Critical : QMessageBox::NoIcon,
                    QString::fromStdString(caption), QString::fromStdString(text), QMessageBox::Ok,
                    ownedByPage ? page_ : nullptr);
    if (!cause.empty()) {
        box.setInformativeText(QString::fromStdString(cause));
    }
    box.exec();
}

} // namespace tessary
