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
// schemes but no host, or a port that is not a number from 1 to 65535, is malformed: nothing is
// returned and `problem` says what is wrong (it is empty otherwise).
std::optional<NetworkLine> ParseNetworkLine(std::string_view name, std::string& problem);

// Connects to the line within `timeoutMs`: a non-blocking socket without Nagle's delay (every
// request frame leaves at once). -1 with errno set on failure.
int ConnectNetworkLine(const NetworkLine& line, int timeoutMs);

} // namespace tessary
