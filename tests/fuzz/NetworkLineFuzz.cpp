// Any serial line name a user types (--serial, path= in the device table): the parser never reads
// outside it, a name it takes has a host and a port from 1 to 65535 and reads back the same, and a
// name it refuses says why.
#include "NetworkLine.h"

#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using tessary::NetworkLine;
    const std::string_view name(reinterpret_cast<const char*>(data), size);
    std::string problem = "stale";
    const auto line = tessary::ParseNetworkLine(name, problem);
    if (!line) {
        return 0; // a tty name (problem empty) or a malformed one (problem set): both are fine
    }
    unsigned port = 0;
    const auto [end, error] =
        std::from_chars(line->port.data(), line->port.data() + line->port.size(), port);
    if (!problem.empty() || line->host.empty() || error != std::errc() ||
        end != line->port.data() + line->port.size() || port < 1 || port > 65535) {
        std::abort();
    }
    const std::string scheme = line->kind == NetworkLine::Kind::Raw ? "tcp://" : "rfc2217://";
    const bool bracketed = line->host.find(':') != std::string::npos || line->host[0] == '[';
    const std::string host = bracketed ? "[" + line->host + "]" : line->host;
    const auto again = tessary::ParseNetworkLine(scheme + host + ":" + line->port, problem);
    if (!again || again->kind != line->kind || again->host != line->host ||
        again->port != line->port) {
        std::abort();
    }
    return 0;
}
