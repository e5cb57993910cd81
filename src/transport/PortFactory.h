#pragma once

#include "RegisterPort.h"
#include "Session.h"

#include <memory>

namespace tessary {

// Why no port could be built.
enum class PortFailure {
    None,
    // The session names an interface type the program does not know.
    InvalidInterface,
    // The port, or the serial line it runs on, could not be allocated.
    OutOfMemory,
};

// A built port, or why there is none.
struct BuiltPort {
    std::unique_ptr<RegisterPort> port;
    PortFailure failure = PortFailure::None;
};

// The port the session's interface type selects, not yet open: the device library's port, or a
// serial port over a line of its own at the session's baud rate and window. The session must
// outlive the port.
BuiltPort BuildPort(const Session& session);

} // namespace tessary
