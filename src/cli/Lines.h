#pragma once

#include "Outcome.h"
#include "Request.h"

namespace tessary {
class MessageSink;
}

namespace tessary::cli {

// ports: the serial lines present (the folders under $TESSARY_PORTS_ROOT instead of / when set),
// and the lines used before that still exist.
int RunPorts(Outcome& outcome);

// probe: opens the --serial line or the device (--device, else the table's default), asks the
// board for its identity and closes again. Exit 0 with the identity, 1 with the cause.
int RunProbe(const Request& request, Outcome& outcome, MessageSink& messages);

} // namespace tessary::cli
