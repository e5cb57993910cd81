#include "DeviceEditDialog.h"

#include "DefaultBaud.h"
#include "ErrorBox.h"
#include "LineProbe.h"
#include "MemoryConfigurations.h"
#include "RecentLines.h"
#include "SerialPorts.h"

#include <QApplication>
#include <QComboBox>
#include <QCompleter>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>

#include <algorithm>
#include <array>
#include <utility>

namespace tessary::lnkutil {
namespace {

// A chip as the Flash list offers it, with the configurations that carry it: "512K (Q0, Q1)".
QString FlashChoiceText(FlashChip chip) {
    QStringList carriers;
    for (const Configuration& configuration : Configurations()) {
        if (configuration.hasFlash && configuration.flash == chip) {
            carriers.append(QString::fromLatin1(configuration.shortName));
        }
    }
    return QString::fromLatin1(GeometryOf(chip).sizeText) + QStringLiteral(" (") +
           carriers.join(QStringLiteral(", ")) + QStringLiteral(")");
}

// Rates offered for a serial line; any other number may be typed.
constexpr std::array<int, 11> kCommonBauds = {9600,   19200,  38400,   57600,   115200, 230400,
                                              460800, 921600, 1000000, 2000000, 3000000};

// The option's value, or the empty text.
QString OptionText(const DeviceEntry& entry, std::string_view key) {
    return QString::fromStdString(entry.Option(key).value_or(std::string()));
}

// Sets a setting where it stands (new ones go last), or removes it for an empty value, so that the
// table file's line changes no more than it must. A Flash or configuration name the same but for
// letter case is kept as the user wrote it.
void SetOption(DeviceOptions& options, const std::string& key, const std::string& value) {
    const auto found = std::find_if(options.begin(), options.end(),
                                    [&key](const auto& option) { return option.first == key; });
    if (value.empty()) {
        if (found != options.end()) {
            options.erase(found);
        }
    } else if (found == options.end()) {
        options.emplace_back(key, value);
    } else if (QString::fromStdString(found->second)
                   .compare(QString::fromStdString(value), key == "path" || key == "base"
                                                               ? Qt::CaseSensitive
                                                               : Qt::CaseInsensitive) != 0) {
        found->second = value;
    }
}

QString Escaped(const std::string& text) {
    return QString::fromStdString(text).toHtmlEscaped();
}

} // namespace

DeviceEditDialog::DeviceEditDialog(const QString& title, DeviceEntry start, Check check,
                                   QWidget* parent)
    : QDialog(parent), entry_(std::move(start)), check_(std::move(check)), form_(new QFormLayout),
      name_(new QLineEdit(QString::fromStdString(entry_.name))), kind_(new QComboBox),
      flash_(new QComboBox), line_(new QComboBox), test_(new QPushButton(tr("&Test"))),
      lineRow_(new QWidget), result_(new QLabel), baud_(new QComboBox), config_(new QComboBox),
      base_(new QLineEdit) {
    setWindowTitle(title);
    name_->setObjectName(QStringLiteral("name"));
    kind_->setObjectName(QStringLiteral("kind"));
    flash_->setObjectName(QStringLiteral("flash"));
    line_->setObjectName(QStringLiteral("line"));
    test_->setObjectName(QStringLiteral("test"));
    test_->setAutoDefault(false);
    result_->setObjectName(QStringLiteral("result"));
    result_->setWordWrap(true);
    result_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    config_->setObjectName(QStringLiteral("config"));
    base_->setObjectName(QStringLiteral("base"));
    baud_->setObjectName(QStringLiteral("baud"));

    kind_->addItem(tr("Simulated board"), QStringLiteral("sim"));
    kind_->addItem(tr("Board on a serial line"), QStringLiteral("serial"));
    kind_->setCurrentIndex(entry_.kind == DeviceKind::Serial ? 1 : 0);

    for (const FlashChip chip : FlashChips()) {
        flash_->addItem(FlashChoiceText(chip), QString::fromLatin1(GeometryOf(chip).name));
    }
    const int layout = flash_->findData(OptionText(entry_, "flash").toLower());
    flash_->setCurrentIndex(layout >= 0 ? layout : 0);

    // Any text is a line; the list offers the ports present by their readable names.
    line_->setEditable(true);
    line_->setInsertPolicy(QComboBox::NoInsert);
    line_->lineEdit()->setObjectName(QStringLiteral("path"));
    line_->lineEdit()->setPlaceholderText(QStringLiteral("/dev/ttyUSB0"));
    line_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    line_->setMinimumContentsLength(28);
    FillLines();
    line_->setEditText(OptionText(entry_, "path"));
    connect(line_, &QComboBox::activated, this, &DeviceEditDialog::TakeLine);
    connect(test_, &QPushButton::clicked, this, &DeviceEditDialog::Test);
    auto* lineLayout = new QHBoxLayout(lineRow_);
    lineLayout->setContentsMargins(0, 0, 0, 0);
    lineLayout->addWidget(line_, 1);
    lineLayout->addWidget(test_);

    config_->addItem(tr("Not set: the program's choice stays"), QString());
    for (const Configuration& configuration : Configurations()) {
        config_->addItem(QString::fromLatin1(configuration.label),
                         QString::fromLatin1(configuration.name));
    }
    const Configuration* chosen = FindConfiguration(OptionText(entry_, "config").toStdString());
    config_->setCurrentIndex(
        chosen != nullptr ? config_->findData(QString::fromLatin1(chosen->name)) : 0);
    base_->setText(OptionText(entry_, "base"));
    base_->setPlaceholderText(tr("not set: the program's choice stays"));

    baud_->setEditable(true);
    baud_->setValidator(new QIntValidator(50, 100'000'000, baud_));
    for (const int rate : kCommonBauds) {
        baud_->addItem(QString::number(rate));
    }
    const QString baud = OptionText(entry_, "baud");
    baud_->setCurrentText(baud.isEmpty() ? QString::number(kDefaultBaud) : baud);

    form_->addRow(tr("&Name:"), name_);
    form_->addRow(tr("&Kind:"), kind_);
    form_->addRow(tr("&Flash:"), flash_);
    form_->addRow(tr("Serial &line:"), lineRow_);
    form_->addRow(QString(), result_);
    form_->addRow(tr("Baud &rate:"), baud_);
    form_->addRow(tr("Memory &configuration:"), config_);
    form_->addRow(tr("Register &base:"), base_);
    // The labels of the one form line up; so do its fields.
    form_->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    form_->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    if (auto* label = qobject_cast<QLabel*>(form_->labelForField(lineRow_))) {
        label->setBuddy(line_);
    }
    connect(kind_, &QComboBox::currentIndexChanged, this, &DeviceEditDialog::ShowKind);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &DeviceEditDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &DeviceEditDialog::reject);
    auto* layoutBox = new QVBoxLayout(this);
    layoutBox->addLayout(form_);
    layoutBox->addStretch(1);
    layoutBox->addWidget(buttons);
    ShowKind();
    name_->setFocus();
}

void DeviceEditDialog::ShowKind() {
    const bool serial = kind_->currentIndex() == 1;
    form_->setRowVisible(flash_, !serial);
    form_->setRowVisible(lineRow_, serial);
    form_->setRowVisible(baud_, serial);
    form_->setRowVisible(result_, serial && !result_->text().isEmpty());
    // A long Test answer wraps over several lines; whenever rows come and go, the dialog grows
    // until every line shows (a window's height does not follow its width by itself).
    if (isVisible()) {
        layout()->activate();
        const int needed = layout()->totalHeightForWidth(width());
        if (needed > height()) {
            resize(width(), needed);
        }
    }
}

// The list shows readable names; what is typed completes to the paths behind them, never to a
// name.
void DeviceEditDialog::FillLines() {
    QStringList paths;
    for (const SerialPortInfo& port : FindSerialPorts("/", RecentLines())) {
        line_->addItem(QString::fromStdString(port.label), QString::fromStdString(port.path));
        paths << QString::fromStdString(port.path);
    }
    auto* completer = new QCompleter(paths, line_);
    completer->setCompletionMode(QCompleter::InlineCompletion);
    line_->lineEdit()->setCompleter(completer);
}

// The list shows readable names; the field takes the path behind the one chosen.
void DeviceEditDialog::TakeLine(int index) {
    const QString path = line_->itemData(index).toString();
    if (!path.isEmpty()) {
        line_->setEditText(path);
    }
}

QString DeviceEditDialog::LinePath() const {
    const QString text = line_->currentText().trimmed();
    const int index = line_->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    return index >= 0 ? line_->itemData(index).toString() : text;
}

void DeviceEditDialog::Test() {
    const std::string path = LinePath().toStdString();
    if (path.empty()) {
        result_->setText(tr("Enter the serial line first."));
        ShowKind();
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    result_->setText(tr("Testing %1...").arg(Escaped(path)));
    result_->repaint();
    const unsigned typed = baud_->currentText().toUInt();
    const LineProbeResult probe = ProbeLine(path, typed != 0 ? typed : kDefaultBaud);
    QApplication::restoreOverrideCursor();
    if (probe.ok) {
        RememberLine(path);
        result_->setText(tr("<b>A board answers:</b> %1").arg(Escaped(probe.identity)));
    } else {
        result_->setText(tr("<b>No board here:</b> %1").arg(Escaped(probe.failure)));
    }
    ShowKind();
}

DeviceEntry DeviceEditDialog::Edited() const {
    DeviceEntry edited = entry_;
    edited.name = name_->text().trimmed().toStdString();
    const DeviceKind kind = kind_->currentIndex() == 1 ? DeviceKind::Serial : DeviceKind::Sim;
    if (kind != edited.kind) {
        // The settings of one kind mean nothing to the other; those of the board stay.
        std::erase_if(edited.options, [](const auto& option) {
            return option.first != "config" && option.first != "base";
        });
        edited.kind = kind;
    }
    if (kind == DeviceKind::Sim) {
        SetOption(edited.options, "flash", flash_->currentData().toString().toStdString());
    } else {
        SetOption(edited.options, "path", LinePath().toStdString());
        // The default rate is not written out: the line stays as short as before.
        const std::string baud = baud_->currentText().trimmed().toStdString();
        SetOption(edited.options, "baud",
                  baud == std::to_string(kDefaultBaud) ? std::string() : baud);
    }
    SetOption(edited.options, "config", config_->currentData().toString().toStdString());
    SetOption(edited.options, "base", base_->text().trimmed().toStdString());
    return edited;
}

void DeviceEditDialog::accept() {
    DeviceEntry edited = Edited();
    const std::string reason = check_(edited);
    if (!reason.empty()) {
        ShowErrorBox(this, windowTitle(), tr("The device cannot be taken as it is."),
                     QString::fromStdString(reason));
        return;
    }
    entry_ = std::move(edited);
    QDialog::accept();
}

} // namespace tessary::lnkutil
