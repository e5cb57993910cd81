#include "OpenFailure.h"

#include <cstring>

namespace tessary {

std::string DescribeOpenFailure(OpenFailure failure, int osError) {
    switch (failure) {
    case OpenFailure::None:
        return {};
    case OpenFailure::NoSuchDevice:
        return "no such device";
    case OpenFailure::PermissionDenied:
        return "permission denied; the user may need to be a member of the dialout group";
    case OpenFailure::Busy:
        return "device busy; another program is using it";
    case OpenFailure::NotASerialDevice:
        return "not a serial device";
    case OpenFailure::ConnectionRefused:
        return "connection refused: nothing accepts connections there; is the serial server "
               "(ser2net) running, and on that port?";
    case OpenFailure::Unreachable:
        return std::string("cannot reach the server (") + std::strerror(osError) + ")";
    case OpenFailure::BadNetworkAddress:
        return "not a network line";
    case OpenFailure::Other:
        break;
    }
    return std::strerror(osError);
}

} // namespace tessary
