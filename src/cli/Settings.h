#pragma once

#include "Request.h"
#include "Session.h"

namespace tessary {
class MessageSink;
} // namespace tessary

namespace tessary::cli {

// Each check reports its failure to the sink and returns false; the run then ends with the usage
// exit status before anything is connected.

// Sets the session's memory configuration. A RAM command under a configuration without RAM (Q3),
// or a Flash command under one without Flash (Q2), is refused as the pages would be disabled.
bool ApplyConfiguration(const Request& request, Session& session, MessageSink& messages);

// Sets the session's register base: 0x00 to 0xF8, a multiple of 8, in any number notation.
bool ApplyRegisterBase(const Request& request, Session& session, MessageSink& messages);

// Points the session at the board: a serial line (--serial), a device of the library's table
// (--device), or the table's default device. The device's config= and base= settings become the
// request's configuration and register base where the command line gave none. The library must
// be initialised.
bool SelectBoard(Request& request, Session& session, MessageSink& messages);

} // namespace tessary::cli
