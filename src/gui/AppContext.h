#pragma once

#include "Session.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tessary {

class MainWindow;

// The one application object. Start-up creates it and points gApp at it; it owns the name of the
// device that every operation opens.
class AppContext {
  public:
    // Initialises the device-access library and the settings; false ends start-up.
    bool Init();
    void SetDevice(std::string_view text);

    void* instance = nullptr;
    void* accelerators = nullptr; // the program defines no accelerators
    MainWindow* mainWindow = nullptr;
    std::string deviceName;
    int32_t interfaceType = kInterfaceLibrary;
};

extern AppContext* gApp;

// The controller's first register address: 0x00 to 0xF8 in steps of 8.
extern int32_t RegisterBase;
// 0 Q0, 1 Q1, 2 Q2, 3 Q3, 5 Parvel 4MB, 6 Parvel 16MB.
extern int32_t MemoryConfiguration;

// The loads verify by reading every block back, also where the board computes checksums
// (`tessary --verify readback`).
extern bool VerifyByReadBack;

// The settings above, as the session an operation started now runs with.
Session CurrentSession();

} // namespace tessary
