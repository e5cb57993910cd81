#include "PortFactory.h"

#include "LibraryPort.h"
#include "SerialLine.h"
#include "SerialPort.h"

#include <new>

namespace tessary {
namespace {

BuiltPort Failed(PortFailure failure) {
    return {nullptr, failure};
}

BuiltPort BuildLibraryPort(const Session& session) {
    auto port = std::unique_ptr<LibraryPort>(new (std::nothrow) LibraryPort(session));
    if (!port || !port->Initialize()) {
        return Failed(PortFailure::OutOfMemory);
    }
    return {std::move(port), PortFailure::None};
}

BuiltPort BuildSerialPort(const Session& session) {
    auto line = std::unique_ptr<SerialLine>(new (std::nothrow) SerialLine());
    if (!line) {
        return Failed(PortFailure::OutOfMemory);
    }
    line->Initialize();
    line->SetBaud(session.serialBaud);
    auto port = std::unique_ptr<SerialPort>(new (std::nothrow) SerialPort(std::move(line)));
    if (!port) {
        return Failed(PortFailure::OutOfMemory);
    }
    port->SetWindow(session.serialWindow);
    return {std::move(port), PortFailure::None};
}

} // namespace

BuiltPort BuildPort(const Session& session) {
    if (session.interfaceType == kInterfaceLibrary) {
        return BuildLibraryPort(session);
    }
    if (session.interfaceType == kInterfaceSerial) {
        return BuildSerialPort(session);
    }
    return Failed(PortFailure::InvalidInterface);
}

} // namespace tessary
