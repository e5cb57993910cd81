#pragma once

#include "Request.h"

namespace tessary {
class AppContext;
class MessageSink;
} // namespace tessary

namespace tessary::cli {

// Each check reports its failure to the sink and returns false; the run then ends with the usage
// exit status before anything is connected.

// Sets MemoryConfiguration. A RAM command under a configuration without RAM (Q3), or a Flash
// command under one without Flash (Q2), is refused as the pages would be disabled.
bool ApplyConfiguration(const Request& request, MessageSink& messages);

// Sets RegisterBase: 0x00 to 0xF8, a multiple of 8, in any number notation.
bool ApplyRegisterBase(const Request& request, MessageSink& messages);

// Points the context at the board: a serial line (--serial), a device of the library's table
// (--device), or the table's default device. The library must be initialised.
bool SelectBoard(const Request& request, AppContext& context, MessageSink& messages);

} // namespace tessary::cli
