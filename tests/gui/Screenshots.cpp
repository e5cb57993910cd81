// Takes a picture of every page of the desktop program, as the window system shows it, on the
// built-in simulated boards: tessary-screenshots OUTPUT_DIRECTORY. Run it under a display (e.g.
// Xvfb: scripts/screenshots.sh).
#include "AppContext.h"
#include "Application.h"
#include "MainWindow.h"
#include "TabControl.h"
#include "lnkutil.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QScreen>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIRECTORY\n", argv[0]);
        return 2;
    }
    // The built-in table and a data directory of our own: nothing of the user's shows.
    QTemporaryDir data;
    ::setenv("LNKUTIL_DEVICES", QDir(data.path()).filePath("none").toLocal8Bit().constData(), 1);
    ::setenv("LNKUTIL_DATA_DIR", data.path().toLocal8Bit().constData(), 1);

    QApplication application(argc, argv);
    tessary::Application program;
    if (!program.Start()) {
        return 1;
    }
    QWidget& window = *tessary::gMainWindow;
    if (!QTest::qWaitForWindowExposed(&window)) {
        std::fprintf(stderr, "tessary-screenshots: the window was never shown\n");
        return 1;
    }
    const QDir output(QString::fromLocal8Bit(argv[1]));
    QTabBar* bar = tessary::gTabControl->Bar();
    for (int index = 0; index < bar->count(); ++index) {
        bar->setCurrentIndex(index);
        QTest::qWait(200);
        const QString name = QStringLiteral("%1-%2.png")
                                 .arg(index + 1)
                                 .arg(bar->tabText(index).toLower().replace(' ', '-'));
        const QPixmap picture = window.screen()->grabWindow(window.winId());
        if (!picture.save(output.filePath(name))) {
            std::fprintf(stderr, "tessary-screenshots: cannot write %s\n",
                         output.filePath(name).toLocal8Bit().constData());
            return 1;
        }
    }
    // The library's device dialog, over the Properties page.
    bar->setCurrentIndex(2);
    bool saved = false;
    QTimer::singleShot(300, [&] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            saved = dialog->grab().save(output.filePath(QStringLiteral("7-devices.png")));
            dialog->reject();
        }
    });
    LnkErc error = 0;
    ZmgrStartConfigureDevices(tessary::gTabControl, &error);
    program.Shutdown();
    if (!saved) {
        std::fprintf(stderr, "tessary-screenshots: no picture of the device dialog\n");
        return 1;
    }
    return 0;
}
