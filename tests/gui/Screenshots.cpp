// Takes a picture of every page of the desktop program, as the window system shows it, on the
// built-in simulated boards: tessary-screenshots OUTPUT_DIRECTORY. Run it under a display (e.g.
// Xvfb: scripts/screenshots.sh).
#include "AppContext.h"
#include "Application.h"
#include "LoadRamPage.h"
#include "MainWindow.h"
#include "OperationRunner.h"
#include "PropertiesPage.h"
#include "TabControl.h"
#include "lnkutil.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

// The window as the window system shows it.
bool Save(QWidget& window, const QDir& output, const QString& name) {
    const QPixmap picture = window.screen()->grabWindow(window.winId());
    if (!picture.save(output.filePath(name))) {
        std::fprintf(stderr, "tessary-screenshots: cannot write %s\n",
                     output.filePath(name).toLocal8Bit().constData());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIRECTORY\n", argv[0]);
        return 2;
    }
    // A home folder of our own, holding the device table and the boards' images where a user's
    // are kept: nothing of the user's shows. Slow moves a megabyte a second, so that a transfer
    // can be caught in progress.
    QTemporaryDir data;
    ::setenv("HOME", data.path().toLocal8Bit().constData(), 1);
    for (const char* variable :
         {"LNKUTIL_DEVICES", "LNKUTIL_DATA_DIR", "XDG_CONFIG_HOME", "XDG_DATA_HOME"}) {
        ::unsetenv(variable);
    }
    QDir(data.path()).mkpath(QStringLiteral(".config/lnkutil"));
    const QString table =
        QDir(data.path()).filePath(QStringLiteral(".config/lnkutil/devices.conf"));
    std::ofstream(table.toStdString()) << "SimBoard sim default flash=512k\n"
                                          "SimBoard-16M sim flash=16m\n"
                                          "Slow sim flash=512k speed=1000000\n"
                                          "Unplugged serial path=/nonexistent/ttyUSB9\n";

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
    // Absolute: the run changes its working folder later.
    const QDir output(QDir(QString::fromLocal8Bit(argv[1])).absolutePath());
    QTabBar* bar = tessary::gTabControl->Bar();
    for (int index = 0; index < bar->count(); ++index) {
        bar->setCurrentIndex(index);
        QTest::qWait(200);
        const QString name = QStringLiteral("%1-%2.png")
                                 .arg(index + 1)
                                 .arg(bar->tabText(index).toLower().replace(' ', '-'));
        if (!Save(window, output, name)) {
            return 1;
        }
    }
    tessary::Page* properties = tessary::gMainWindow->PageAt(tessary::kPropertiesPage);
    auto choose = [properties](int radio) {
        static_cast<QAbstractButton*>(properties->Control(radio))->click();
    };
    // An error box with its cause: a load from a board whose serial line is not there.
    // The files lie in the home folder, which is the working folder: the pages show their names as
    // a user types them.
    QDir::setCurrent(data.path());
    const std::string small = "small.bin";
    std::ofstream(small, std::ios::binary) << std::string(4096, '\x5A');
    tessary::gApp->SetDevice("Unplugged");
    bar->setCurrentIndex(tessary::kLoadRamPage);
    tessary::Page* load = tessary::gMainWindow->PageAt(tessary::kLoadRamPage);
    load->SetText(tessary::LoadRamPage::kFileName, small);
    bool boxSaved = false;
    QTimer boxWatch;
    QObject::connect(&boxWatch, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            boxWatch.stop();
            QTest::qWait(200);
            boxSaved = Save(*box, output, QStringLiteral("error-box.png"));
            box->button(QMessageBox::Ok)->click();
        }
    });
    boxWatch.start(100);
    static_cast<QAbstractButton*>(load->Control(tessary::LoadRamPage::kLoad))->click();
    for (int wait = 0; wait < 100 && tessary::gMainWindow->Runner().Busy(); ++wait) {
        QTest::qWait(100);
    }
    if (!boxSaved) {
        std::fprintf(stderr, "tessary-screenshots: no error box came up\n");
        return 1;
    }
    // A RAM load in progress: status text, progress, rate, time left and Cancel. The 16MB
    // module's RAM holds the whole file.
    const std::string input = "firmware.bin";
    std::ofstream(input, std::ios::binary) << std::string(2 << 20, '\x5A');
    choose(tessary::PropertiesPage::kParvel16M);
    tessary::gApp->SetDevice("Slow");
    bar->setCurrentIndex(tessary::kLoadRamPage);
    load->SetText(tessary::LoadRamPage::kFileName, input);
    static_cast<QAbstractButton*>(load->Control(tessary::LoadRamPage::kLoad))->click();
    QTest::qWait(1200);
    if (!Save(window, output, QStringLiteral("load-ram-progress.png"))) {
        return 1;
    }
    tessary::gMainWindow->Runner().Cancel();
    QTest::qWait(500);
    // The Erase Flash page under the Parvel 16MB configuration: its blocks scroll.
    tessary::gApp->SetDevice("SimBoard-16M");
    bar->setCurrentIndex(tessary::kEraseFlashPage);
    QTest::qWait(200);
    if (!Save(window, output, QStringLiteral("erase-flash-parvel.png"))) {
        return 1;
    }
    choose(tessary::PropertiesPage::kQ0);

    // The library's device dialog over the Properties page: the list, one device in the editor,
    // and the editor after a Test of a serial line that is not there.
    bar->setCurrentIndex(2);
    bool saved = false;
    QTimer::singleShot(300, [&] {
        auto* list = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (list == nullptr) {
            return;
        }
        auto* devices = list->findChild<QTreeWidget*>(QStringLiteral("devices"));
        devices->setCurrentItem(devices->topLevelItem(2));
        saved = list->grab().save(output.filePath(QStringLiteral("7-devices.png")));
        QTimer::singleShot(300, [&, list] {
            auto* editor = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (editor != nullptr && editor != list) {
                saved = saved && editor->grab().save(output.filePath("8-device-edit.png"));
                editor->findChild<QComboBox*>(QStringLiteral("kind"))->setCurrentIndex(1);
                editor->findChild<QLineEdit*>(QStringLiteral("path"))
                    ->setText("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
                editor->findChild<QPushButton*>(QStringLiteral("test"))->click();
                QTest::qWait(200);
                saved = saved && editor->grab().save(output.filePath("9-device-test.png"));
                editor->reject();
            } else {
                saved = false;
            }
            list->reject();
        });
        list->findChild<QPushButton*>(QStringLiteral("edit"))->click();
    });
    LnkErc error = 0;
    ZmgrStartConfigureDevices(tessary::gTabControl, &error);
    program.Shutdown();
    if (!saved) {
        std::fprintf(stderr, "tessary-screenshots: no pictures of the device dialog\n");
        return 1;
    }
    return 0;
}
