#pragma once

#include "Page.h"

#include <cstdint>

namespace tessary {

class MainWindow;

// "Properties": the device the operations talk to, the board's memory configuration and the
// memory controller's first register address. Every choice takes effect at once.
class PropertiesPage : public Page {
  public:
    enum ControlId : int {
        kConfigure = 1066,
        kDeviceList = 1077,
        kQ0 = 1078,
        kQ1 = 1079,
        kQ2 = 1080,
        kQ3 = 1081,
        kRegisterBase = 1083,
        kParvel4M = 1084,
        kParvel16M = 1085,
    };

    explicit PropertiesPage(QWidget* parent);

    // Takes the library's default device, fills the device list, "0x00" as the register base
    // and Q0 checked (the other pages already show the Q0 layout).
    void OnInit() override;
    // The default device's config= and base= settings, the layout of the other pages included.
    void OnPagesReady() override;
    void OnCommand(int id, Notification code) override;

  private:
    void FillDeviceList();
    void Configure();
    void ChooseDevice();
    void ChooseConfiguration(int id);
    void CheckRegisterBase();
    // The device's configuration (its config= setting, or the one in force kept when it has none)
    // and its base= setting, applied as if the person had chosen them; when `announce`, the
    // status bar names the device and says which configuration holds.
    void ApplyDeviceSettings(int32_t index, bool announce);
    // The window whose pages this page lays out.
    MainWindow& Window() const;
};

} // namespace tessary
