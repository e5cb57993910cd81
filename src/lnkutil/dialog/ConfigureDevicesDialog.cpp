// ZmgrStartConfigureDevices with the device configuration dialog: modal to the caller's widget,
// on the device table file the library reads; the library reads it again after a save.
#include "DeviceListDialog.h"
#include "Library.h"
#include "LibraryPaths.h"
#include "TableFile.h"
#include "lnkutil.h"
#include "lnkutil_erc.h"

#include <QApplication>
#include <QMessageBox>
#include <QWidget>

namespace {

using tessary::lnkutil::Library;

bool Fail(LnkErc* erc, LnkErc code) {
    if (erc != nullptr) {
        *erc = code;
    }
    return false;
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

extern "C" bool ZmgrStartConfigureDevices(void* owner, LnkErc* erc) {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        return Fail(erc, LNK_ERC_NO_DIALOG);
    }
    Library& library = Library::Instance();
    int32_t count = 0;
    if (library.DeviceCount(&count) != LNK_ERC_OK) {
        return Fail(erc, LNK_ERC_NOT_INITIALISED);
    }
    QWidget* parent = OwnerWidget(owner);
    const QString caption = QObject::tr("Devices");
    const std::string path = tessary::lnkutil::DeviceTablePath();
    if (path.empty()) {
        QMessageBox::warning(parent, caption,
                             QObject::tr("There is no file to keep the device table in: set "
                                         "LNKUTIL_DEVICES, XDG_CONFIG_HOME or HOME."));
        return Fail(erc, LNK_ERC_NO_DIALOG);
    }
    tessary::lnkutil::TableDocument document;
    std::vector<std::string> skipped;
    std::string problem;
    if (!tessary::lnkutil::ReadTableForEditing(path, &document, &skipped, &problem)) {
        QMessageBox::warning(parent, caption,
                             QObject::tr("%1\nThe device table is left as it is.")
                                 .arg(QString::fromStdString(problem)));
        return Fail(erc, LNK_ERC_NO_DIALOG);
    }
    if (!skipped.empty()) {
        QStringList lines;
        for (const std::string& line : skipped) {
            lines << QString::fromStdString(line);
        }
        QMessageBox::warning(parent, caption,
                             QObject::tr("Some lines of the device table cannot be used:\n%1\n\n"
                                         "They are not in the list; saving keeps them in the "
                                         "file as they are.")
                                 .arg(lines.join(QLatin1Char('\n'))));
    }
    tessary::lnkutil::DeviceListDialog dialog(std::move(document), path, parent);
    if (dialog.exec() == QDialog::Accepted) {
        library.ReloadTable();
    }
    if (erc != nullptr) {
        *erc = LNK_ERC_OK;
    }
    return true;
}
