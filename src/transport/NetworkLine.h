#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tessary {

// A serial line reached over the network: tcp://HOST:PORT carries the line's bytes as they are
// (ser2net's raw mode), rfc2217://HOST:PORT speaks Telnet with COM-PORT-CONTROL.
struct NetworkLine {
    enum class Kind { Raw, Rfc2217 };
    Kind kind = Kind::Raw;
    std::string host;
    std::string port;
};

// The network line a port name names; nothing for a tty name. A name with one of the two
// schemes but no host or no port is malformed: `malformed` is set and nothing returned.
std::optional<NetworkLine> ParseNetworkLine(std::string_view name, bool& malformed);

// Connects to the line within `timeoutMs`: a non-blocking socket without Nagle's delay (every
// request frame leaves at once). -1 with errno set on failure.
int ConnectNetworkLine(const NetworkLine& line, int timeoutMs);

} // namespace tessary
