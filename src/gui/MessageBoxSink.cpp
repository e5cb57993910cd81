#include "MessageBoxSink.h"

#include <QMessageBox>

namespace tessary {

void MessageBoxSink::ShowMessage(const std::string& text, const std::string& caption,
                                 MessageIcon icon, bool ownedByPage) {
    ShowMessageWithCause(text, caption, icon, ownedByPage, std::string());
}

// Every message an operation or a form check shows reports something that went wrong, so every
// box looks alike: the error icon, whatever icon the message asks for.
void MessageBoxSink::ShowMessageWithCause(const std::string& text, const std::string& caption,
                                          MessageIcon /*icon*/, bool ownedByPage,
                                          const std::string& cause) {
    QMessageBox box(QMessageBox::Critical, QString::fromStdString(caption),
                    QString::fromStdString(text), QMessageBox::Ok, ownedByPage ? page_ : nullptr);
    if (!cause.empty()) {
        box.setInformativeText(QString::fromStdString(cause));
    }
    box.exec();
}

} // namespace tessary
