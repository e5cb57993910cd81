// The dialog module's entry: the device configuration dialog, modal to the caller's widget, on
// the device table file the library reads. The library reads the file again after a save.
#include "DeviceListDialog.h"
#include "DialogModule.h"
#include "ErrorBox.h"
#include "TableFile.h"

#include <QApplication>
#include <QWidget>

namespace {

using tessary::lnkutil::DialogOutcome;
using tessary::lnkutil::ShowErrorBox;

int Report(DialogOutcome outcome) {
    return static_cast<int>(outcome);
}

// The owner the caller named, when it is one of this program's widgets; no owner otherwise.
QWidget* OwnerWidget(void* owner) {
    for (QWidget* widget : QApplication::allWidgets()) {
        if (widget == owner) {
            return widget;
        }
    }
    return nullptr;
}

} // namespace

extern "C" __attribute__((visibility("default"))) int LnkRunDeviceDialog(void* owner,
                                                                         const char* tablePath) {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        return Report(DialogOutcome::Unavailable);
    }
    QWidget* parent = OwnerWidget(owner);
    const QString caption = QObject::tr("Devices");
    const std::string path = tablePath != nullptr ? tablePath : "";
    if (path.empty()) {
        ShowErrorBox(parent, caption, QObject::tr("There is no file to keep the device table in."),
                     QObject::tr("Set LNKUTIL_DEVICES, XDG_CONFIG_HOME or HOME."));
        return Report(DialogOutcome::Unavailable);
    }
    tessary::lnkutil::TableDocument document;
    std::vector<std::string> skipped;
    std::string problem;
    if (!tessary::lnkutil::ReadTableForEditing(path, &document, &skipped, &problem)) {
        ShowErrorBox(parent, caption, QObject::tr("The device table is left as it is."),
                     QString::fromStdString(problem));
        return Report(DialogOutcome::Unavailable);
    }
    if (!skipped.empty()) {
        QStringList lines;
        for (const std::string& line : skipped) {
            lines << QString::fromStdString(line);
        }
        ShowErrorBox(parent, caption,
                     QObject::tr("Some lines of the device table cannot be used. They are not in "
                                 "the list; saving keeps them in the file as they are."),
                     lines.join(QLatin1Char('\n')));
    }
    tessary::lnkutil::DeviceListDialog dialog(std::move(document), path, parent);
    return Report(dialog.exec() == QDialog::Accepted ? DialogOutcome::Saved
                                                     : DialogOutcome::Closed);
}
