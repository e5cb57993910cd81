#include "PropertiesPage.h"

#include "AppContext.h"
#include "ConfigurationLayout.h"
#include "DeviceConfiguration.h"
#include "FormBuilder.h"
#include "MainWindow.h"
#include "MemoryConfigurations.h"
#include "PropertiesForm.h"
#include "RegisterBaseField.h"
#include "Sinks.h"
#include "lnkutil.h"
#include "lnkutil_ext.h"

#include <QComboBox>

#include <array>
#include <optional>
#include <string>
#include <utility>

namespace tessary {
namespace {

// Each configuration button and the MemoryConfiguration it stands for.
constexpr std::array<std::pair<int, int32_t>, 6> kConfigurationButtons = {{
    {PropertiesPage::kQ0, ConfigurationNamed("q0").value},
    {PropertiesPage::kQ1, ConfigurationNamed("q1").value},
    {PropertiesPage::kQ2, ConfigurationNamed("q2").value},
    {PropertiesPage::kQ3, ConfigurationNamed("q3").value},
    {PropertiesPage::kParvel4M, ConfigurationNamed("parvel4").value},
    {PropertiesPage::kParvel16M, ConfigurationNamed("parvel16").value},
}};

// A device name as the library hands it over: at most 19 characters and a terminator.
using DeviceName = std::array<char, 20>;

bool ReadDeviceName(int32_t index, DeviceName& name) {
    LnkErc error = 0;
    name.fill('\0');
    const bool read = ZmgrGetDevName(index, name.data(), &error);
    name.back() = '\0';
    return read;
}

int32_t DefaultDevice() {
    LnkErc error = 0;
    return ZmgrGetDefaultDev(&error);
}

std::optional<std::string> DeviceSetting(int32_t index, const char* key) {
    std::array<char, 64> value{};
    LnkErc error = 0;
    if (index < 0 ||
        !ZmgrGetDevSetting(index, key, value.data(), static_cast<int32_t>(value.size()), &error)) {
        return std::nullopt;
    }
    return std::string(value.data());
}

} // namespace

PropertiesPage::PropertiesPage(QWidget* parent) : Page(QSize(250, 192), parent) {
    BuildPlacedForm(*this, PropertiesForm());
}

void PropertiesPage::OnInit() {
    DeviceName name;
    if (ReadDeviceName(DefaultDevice(), name)) {
        gApp->SetDevice(name.data());
    }
    FillDeviceList();
    SetText(kRegisterBase, "0x00");
    RegisterBase = 0;
    SetChecked(kQ0, true);
}

void PropertiesPage::OnPagesReady() {
    ApplyDeviceSettings(DefaultDevice(), false);
}

MainWindow& PropertiesPage::Window() const {
    return *static_cast<MainWindow*>(window());
}

void PropertiesPage::OnCommand(int id, Notification code) {
    if (id == kConfigure && code == Notification::Clicked) {
        Configure();
    } else if (id == kDeviceList && code == Notification::SelectionChanged) {
        ChooseDevice();
    } else if (id == kRegisterBase && code == Notification::KillFocus) {
        CheckRegisterBase();
    } else if (code == Notification::Clicked) {
        ChooseConfiguration(id);
    }
}

void PropertiesPage::FillDeviceList() {
    auto* list = static_cast<QComboBox*>(Control(kDeviceList));
    LnkErc error = 0;
    const int32_t count = ZmgrGetDevCount(&error);
    for (int32_t index = 0; index < count; ++index) {
        DeviceName name;
        // A name the library cannot give stays an empty entry, so positions keep matching the
        // library's indexes.
        ReadDeviceName(index, name);
        list->addItem(QString::fromUtf8(name.data()));
    }
    list->setCurrentIndex(DefaultDevice());
}

void PropertiesPage::Configure() {
    LnkErc error = 0;
    ZmgrStartConfigureDevices(parentWidget(), &error);
    auto* list = static_cast<QComboBox*>(Control(kDeviceList));
    list->clear();
    FillDeviceList();
    const bool chosen = list->currentIndex() >= 0 && DefaultDevice() != -1;
    gApp->SetDevice(chosen ? list->currentText().toStdString() : std::string());
    if (chosen) {
        ApplyDeviceSettings(list->currentIndex(), true);
    }
}

void PropertiesPage::ChooseDevice() {
    const auto* list = static_cast<const QComboBox*>(Control(kDeviceList));
    if (list->currentIndex() >= 0) {
        gApp->SetDevice(list->currentText().toStdString());
        ApplyDeviceSettings(list->currentIndex(), true);
    }
}

void PropertiesPage::ApplyDeviceSettings(int32_t index, bool announce) {
    const DeviceConfiguration chosen = ConfigurationForDevice(
        DeviceSetting(index, "config"), ConfigurationOfValue(MemoryConfiguration));
    std::string said = chosen.fromDevice
                           ? std::string(chosen.configuration.label)
                           : "configuration " + std::string(chosen.configuration.label) + " kept";
    if (chosen.fromDevice) {
        for (const auto& [button, value] : kConfigurationButtons) {
            if (value == chosen.configuration.value) {
                SetChecked(button, true);
                ChooseConfiguration(button);
            }
        }
    }
    if (const std::optional<std::string> base = DeviceSetting(index, "base")) {
        std::string text = *base;
        const int32_t value = ParseRegisterBase(text);
        if (value >= 0) {
            SetText(kRegisterBase, *base);
            RegisterBase = value;
            said += ", register base " + *base;
        }
    }
    if (announce) {
        Window().SetStatusText(gApp->deviceName + ": " + said);
    }
}

void PropertiesPage::ChooseConfiguration(int id) {
    for (const auto& [button, configuration] : kConfigurationButtons) {
        if (button == id && IsChecked(id)) {
            MemoryConfiguration = configuration;
            ApplyConfigurationLayout(Window(), configuration);
        }
    }
}

void PropertiesPage::CheckRegisterBase() {
    constexpr std::size_t kLongestText = 15;
    std::string text = Text(kRegisterBase).substr(0, kLongestText);
    const int32_t value = ParseRegisterBase(text);
    if (value >= 0) {
        RegisterBase = value;
        return;
    }
    Messages().ShowMessage(kRegisterBaseMessage, kRegisterBaseCaption, MessageIcon::None, true);
    RegisterBase = 0;
    SetText(kRegisterBase, "0x00");
}

} // namespace tessary
