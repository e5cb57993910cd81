#include "AppContext.h"

#include "lnkutil.h"

namespace tessary {

AppContext* gApp = nullptr;
int32_t RegisterBase = 0;
int32_t MemoryConfiguration = 0;
bool VerifyByReadBack = false;

bool AppContext::Init() {
    LnkErc error = 0;
    if (!LnkInit(&error)) {
        return false;
    }
    interfaceType = kInterfaceLibrary;
    SetDevice("COM1");
    return true;
}

void AppContext::SetDevice(std::string_view text) {
    deviceName.assign(text);
}

Session CurrentSession() {
    Session session;
    if (gApp != nullptr) {
        session.deviceName = gApp->deviceName;
        session.interfaceType = gApp->interfaceType;
    }
    session.registerBase = RegisterBase;
    session.memoryConfiguration = MemoryConfiguration;
    return session;
}

} // namespace tessary
