#pragma once

#include <string>

namespace tessary {

// Why the last Open of a serial line failed, in terms the person at the machine can act on.
enum class OpenFailure {
    None,
    NoSuchDevice,
    PermissionDenied,
    Busy,
    NotASerialDevice,
    ConnectionRefused,
    Unreachable,
    BadNetworkAddress,
    Other,
};

// Words for an open failure ("no such device", "permission denied ..."); SerialLine's
// OpenFailureText says more of a malformed network line, in the words of ParseNetworkLine.
std::string DescribeOpenFailure(OpenFailure failure, int osError);

} // namespace tessary
