#include "AppIcon.h"

#include <QApplication>
#include <QIcon>

// The resources of a static library are linked only when named.
static void LoadIconResources() {
    Q_INIT_RESOURCE(icons);
}

namespace tessary {

void ApplyAppIdentity(QApplication& application) {
    LoadIconResources();
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/icons/tessary-%1.png").arg(size), QSize(size, size));
    }
    application.setWindowIcon(icon);
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kDesktopFileName));
}

} // namespace tessary
