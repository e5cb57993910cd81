#include "DeviceEditDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QIntValidator>
#include <QLineEdit>
#include <QMessageBox>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <array>
#include <utility>

namespace tessary::lnkutil {
namespace {

constexpr std::array<std::pair<const char*, const char*>, 4> kFlashLayouts = {{
    {"512k", "512K (Q0, Q1)"},
    {"1m", "1024K (Q3)"},
    {"4m", "4 MB (Parvel 4MB)"},
    {"16m", "16 MB (Parvel 16MB)"},
}};

// Rates offered for a serial line; any other number may be typed.
constexpr std::array<int, 11> kCommonBauds = {9600,   19200,  38400,   57600,   115200, 230400,
                                              460800, 921600, 1000000, 2000000, 3000000};
constexpr const char* kDefaultBaud = "115200";

// The option's value, or the empty text.
QString OptionText(const DeviceEntry& entry, std::string_view key) {
    return QString::fromStdString(entry.Option(key).value_or(std::string()));
}

void SetOption(DeviceOptions& options, const std::string& key, const std::string& value) {
    std::erase_if(options, [&key](const auto& option) { return option.first == key; });
    if (!value.empty()) {
        options.emplace_back(key, value);
    }
}

} // namespace

DeviceEditDialog::DeviceEditDialog(const QString& title, DeviceEntry start, Check check,
                                   QWidget* parent)
    : QDialog(parent), entry_(std::move(start)), check_(std::move(check)),
      name_(new QLineEdit(QString::fromStdString(entry_.name))), kind_(new QComboBox),
      settings_(new QStackedWidget), flash_(new QComboBox), base_(new QLineEdit),
      path_(new QLineEdit), baud_(new QComboBox) {
    setWindowTitle(title);
    name_->setObjectName(QStringLiteral("name"));
    kind_->setObjectName(QStringLiteral("kind"));
    flash_->setObjectName(QStringLiteral("flash"));
    base_->setObjectName(QStringLiteral("base"));
    path_->setObjectName(QStringLiteral("path"));
    baud_->setObjectName(QStringLiteral("baud"));

    kind_->addItem(tr("Simulated board"), QStringLiteral("sim"));
    kind_->addItem(tr("Board on a serial line"), QStringLiteral("serial"));
    kind_->setCurrentIndex(entry_.kind == DeviceKind::Serial ? 1 : 0);

    for (const auto& [value, label] : kFlashLayouts) {
        flash_->addItem(tr(label), QString::fromLatin1(value));
    }
    const int layout = flash_->findData(OptionText(entry_, "flash").toLower());
    flash_->setCurrentIndex(layout >= 0 ? layout : 0);
    base_->setText(OptionText(entry_, "base"));
    base_->setPlaceholderText(QStringLiteral("0x00"));
    path_->setText(OptionText(entry_, "path"));
    path_->setPlaceholderText(QStringLiteral("/dev/ttyUSB0 or rfc2217://host:port"));
    baud_->setEditable(true);
    baud_->setValidator(new QIntValidator(50, 100'000'000, baud_));
    for (const int rate : kCommonBauds) {
        baud_->addItem(QString::number(rate));
    }
    const QString baud = OptionText(entry_, "baud");
    baud_->setCurrentText(baud.isEmpty() ? QString::fromLatin1(kDefaultBaud) : baud);

    auto* sim = new QWidget;
    auto* simForm = new QFormLayout(sim);
    simForm->setContentsMargins(0, 0, 0, 0);
    simForm->addRow(tr("Flash:"), flash_);
    simForm->addRow(tr("Register base:"), base_);
    auto* serial = new QWidget;
    auto* serialForm = new QFormLayout(serial);
    serialForm->setContentsMargins(0, 0, 0, 0);
    serialForm->addRow(tr("Serial line:"), path_);
    serialForm->addRow(tr("Baud rate:"), baud_);
    settings_->addWidget(sim);
    settings_->addWidget(serial);
    settings_->setCurrentIndex(kind_->currentIndex());
    connect(kind_, &QComboBox::currentIndexChanged, settings_, &QStackedWidget::setCurrentIndex);

    auto* form = new QFormLayout;
    form->addRow(tr("Name:"), name_);
    form->addRow(tr("Kind:"), kind_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &DeviceEditDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &DeviceEditDialog::reject);
    auto* layoutBox = new QVBoxLayout(this);
    layoutBox->addLayout(form);
    layoutBox->addWidget(settings_);
    layoutBox->addStretch(1);
    layoutBox->addWidget(buttons);
}

DeviceEntry DeviceEditDialog::Edited() const {
    DeviceEntry edited = entry_;
    edited.name = name_->text().trimmed().toStdString();
    const DeviceKind kind = kind_->currentIndex() == 1 ? DeviceKind::Serial : DeviceKind::Sim;
    if (kind != edited.kind) {
        // The settings of one kind mean nothing to the other.
        edited.options.clear();
        edited.kind = kind;
    }
    if (kind == DeviceKind::Sim) {
        SetOption(edited.options, "flash", flash_->currentData().toString().toStdString());
        SetOption(edited.options, "base", base_->text().trimmed().toStdString());
    } else {
        SetOption(edited.options, "path", path_->text().trimmed().toStdString());
        // The default rate is not written out: the line stays as short as before.
        const std::string baud = baud_->currentText().trimmed().toStdString();
        SetOption(edited.options, "baud", baud == kDefaultBaud ? std::string() : baud);
    }
    return edited;
}

void DeviceEditDialog::accept() {
    DeviceEntry edited = Edited();
    const std::string reason = check_(edited);
    if (!reason.empty()) {
        QMessageBox::warning(this, windowTitle(), QString::fromStdString(reason));
        return;
    }
    entry_ = std::move(edited);
    QDialog::accept();
}

} // namespace tessary::lnkutil
