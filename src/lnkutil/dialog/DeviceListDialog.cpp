#include "DeviceListDialog.h"

#include "DeviceEditDialog.h"
#include "ErrorBox.h"
#include "FlashChips.h"
#include "TableFile.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

#include <algorithm>

namespace tessary::lnkutil {
namespace {

constexpr int kColumnGap = 12; // pixels between a column's widest text and the next column

QString Settings(const DeviceEntry& entry) {
    QStringList settings;
    for (const auto& [key, value] : entry.options) {
        settings << QString::fromStdString(key + "=" + value);
    }
    return settings.join(QLatin1Char(' '));
}

QPushButton* Button(const QString& text, const char* name) {
    auto* button = new QPushButton(text);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

// A path in the user's home folder as the shell would shorten it: ~/.config/lnkutil/devices.conf.
QString HomeAsTilde(const QString& path) {
    const QString home = QDir::homePath() + QLatin1Char('/');
    return path.startsWith(home) ? QStringLiteral("~/") + path.mid(home.size()) : path;
}

} // namespace

DeviceListDialog::DeviceListDialog(TableDocument document, std::string path, QWidget* parent)
    : QDialog(parent), document_(std::move(document)), path_(std::move(path)),
      list_(new QTreeWidget), edit_(Button(tr("&Edit..."), "edit")),
      remove_(Button(tr("&Remove"), "remove")),
      default_(new QCheckBox(tr("De&fault device: opened when no device is named"))) {
    setWindowTitle(tr("Devices"));
    list_->setObjectName(QStringLiteral("devices"));
    list_->setRootIsDecorated(false);
    list_->setHeaderLabels({tr("Name"), tr("Kind"), tr("Default"), tr("Settings")});
    list_->header()->setStretchLastSection(true);
    list_->setMinimumWidth(460);
    connect(list_, &QTreeWidget::itemSelectionChanged, this, &DeviceListDialog::UpdateButtons);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, &DeviceListDialog::Edit);

    QPushButton* add = Button(tr("&Add..."), "add");
    default_->setObjectName(QStringLiteral("default"));
    connect(add, &QPushButton::clicked, this, &DeviceListDialog::Add);
    connect(edit_, &QPushButton::clicked, this, &DeviceListDialog::Edit);
    connect(remove_, &QPushButton::clicked, this, &DeviceListDialog::Remove);
    connect(default_, &QCheckBox::clicked, this, &DeviceListDialog::ChooseDefault);
    // The side buttons share one width, whatever their texts.
    int width = 0;
    for (QPushButton* button : {add, edit_, remove_}) {
        width = std::max(width, button->sizeHint().width());
    }
    for (QPushButton* button : {add, edit_, remove_}) {
        button->setFixedWidth(width);
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Save)->setObjectName(QStringLiteral("save"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &DeviceListDialog::Save);
    connect(buttons, &QDialogButtonBox::rejected, this, &DeviceListDialog::reject);

    auto* file = new QLabel(tr("Kept in %1").arg(HomeAsTilde(QString::fromStdString(path_))));
    file->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* grid = new QGridLayout(this);
    grid->addWidget(list_, 0, 0, 4, 1);
    grid->addWidget(add, 0, 1);
    grid->addWidget(edit_, 1, 1);
    grid->addWidget(remove_, 2, 1);
    grid->setRowStretch(3, 1);
    grid->addWidget(default_, 4, 0, 1, 2);
    grid->addWidget(file, 5, 0, 1, 2);
    grid->addWidget(buttons, 6, 0, 1, 2);
    Refill(document_.table().DefaultIndex());
}

void DeviceListDialog::Refill(int selected) {
    list_->clear();
    for (const DeviceEntry& entry : document_.table().entries()) {
        auto* item = new QTreeWidgetItem(list_);
        item->setText(0, QString::fromStdString(entry.name));
        item->setText(1, entry.kind == DeviceKind::Serial ? tr("serial") : tr("simulated"));
        item->setText(2, entry.isDefault ? tr("yes") : QString());
        item->setText(3, Settings(entry));
    }
    for (int column = 0; column < 3; ++column) {
        list_->resizeColumnToContents(column);
        list_->setColumnWidth(column, list_->columnWidth(column) + kColumnGap);
    }
    if (selected >= 0 && selected < list_->topLevelItemCount()) {
        list_->setCurrentItem(list_->topLevelItem(selected));
    }
    UpdateButtons();
}

int DeviceListDialog::Selected() const {
    const QList<QTreeWidgetItem*> items = list_->selectedItems();
    return items.isEmpty() ? -1 : list_->indexOfTopLevelItem(items.constFirst());
}

void DeviceListDialog::UpdateButtons() {
    const int selected = Selected();
    edit_->setEnabled(selected >= 0);
    remove_->setEnabled(selected >= 0);
    default_->setEnabled(selected >= 0);
    default_->setChecked(selected >= 0 && selected == document_.table().DefaultIndex());
}

std::string DeviceListDialog::Problem(const DeviceEntry& entry, int self) const {
    if (entry.name.empty()) {
        return "Enter a name for the device.";
    }
    if (entry.name.size() > kMaxDeviceName) {
        return "A device name has at most " + std::to_string(kMaxDeviceName) + " characters; \"" +
               entry.name + "\" has " + std::to_string(entry.name.size()) + ".";
    }
    const int other = document_.table().Find(entry.name);
    if (other >= 0 && other != self) {
        return "There is already a device named \"" + entry.name + "\".";
    }
    if (entry.kind == DeviceKind::Serial && !entry.Option("path")) {
        return "Enter the serial line the board is on, for example /dev/ttyUSB0.";
    }
    std::string reason;
    if (!ValidateEntry(entry, &reason) || !EntryReadsBack(entry, &reason)) {
        return "This device cannot be kept: " + reason + ".";
    }
    return {};
}

void DeviceListDialog::Refused(const std::string& reason) {
    ShowErrorBox(this, windowTitle(), tr("The device was not changed."),
                 QString::fromStdString(reason));
}

void DeviceListDialog::Add() {
    DeviceEntry start;
    start.options = {{"flash", std::string(kDefaultFlashLayout)}};
    DeviceEditDialog dialog(
        tr("Add Device"), start, [this](const DeviceEntry& entry) { return Problem(entry, -1); },
        this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    std::string reason;
    if (document_.Add(dialog.entry(), &reason)) {
        Refill(static_cast<int>(document_.table().size()) - 1);
    } else {
        Refused(reason);
    }
}

void DeviceListDialog::Edit() {
    const int selected = Selected();
    if (selected < 0) {
        return;
    }
    DeviceEditDialog dialog(
        tr("Edit Device"), document_.table().entries()[static_cast<size_t>(selected)],
        [this, selected](const DeviceEntry& entry) { return Problem(entry, selected); }, this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    std::string reason;
    if (document_.Replace(static_cast<size_t>(selected), dialog.entry(), &reason)) {
        Refill(selected);
    } else {
        Refused(reason);
    }
}

void DeviceListDialog::Remove() {
    const int selected = Selected();
    if (selected >= 0 && document_.Remove(static_cast<size_t>(selected))) {
        Refill(std::min(selected, static_cast<int>(document_.table().size()) - 1));
    }
}

void DeviceListDialog::ChooseDefault(bool isDefault) {
    const int selected = Selected();
    if (selected >= 0) {
        document_.SetDefault(isDefault ? selected : -1);
        Refill(selected);
    }
}

void DeviceListDialog::Save() {
    std::string error;
    if (!SaveTableFile(path_, document_, &error)) {
        ShowErrorBox(this, windowTitle(),
                     tr("The device table could not be saved. Your changes are still here: "
                        "correct the problem and save again, or cancel."),
                     QString::fromStdString(error));
        return;
    }
    accept();
}

} // namespace tessary::lnkutil
