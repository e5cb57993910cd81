#include "OpenStream.h"

#include "NetworkLine.h"
#include "TcpStream.h"
#include "TelnetStream.h"
#include "TtyStream.h"

#include <cerrno>

namespace tessary {

namespace {

// How long a network line may take to accept the connection.
constexpr int kConnectTimeoutMs = 3000;

OpenFailure Classify(int osError) {
    switch (osError) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case ENOTDIR:
        return OpenFailure::NoSuchDevice;
    case EACCES:
    case EPERM:
    case EROFS:
        return OpenFailure::PermissionDenied;
    case EBUSY:
    case EWOULDBLOCK:
        return OpenFailure::Busy;
    case ENOTTY:
    case EISDIR:
        return OpenFailure::NotASerialDevice;
    default:
        return OpenFailure::Other;
    }
}

OpenFailure ClassifyNetwork(int osError) {
    switch (osError) {
    case ECONNREFUSED:
        return OpenFailure::ConnectionRefused;
    case EHOSTUNREACH:
    case ENETUNREACH:
    case ETIMEDOUT:
        return OpenFailure::Unreachable;
    default:
        return OpenFailure::Other;
    }
}

OpenedStream Failed(OpenFailure failure, int osError) {
    OpenedStream opened;
    opened.failure = failure;
    opened.osError = osError;
    return opened;
}

OpenedStream OpenNetwork(const NetworkLine& network, uint32_t baud) {
    std::unique_ptr<TcpStream> connection = TcpStream::Connect(network, kConnectTimeoutMs);
    if (!connection) {
        const int error = errno;
        return Failed(ClassifyNetwork(error), error);
    }
    OpenedStream opened;
    if (network.kind == NetworkLine::Kind::Raw) {
        opened.stream = std::move(connection);
    } else if (opened.stream = TelnetStream::Open(std::move(connection), baud); !opened.stream) {
        return Failed(OpenFailure::Other, errno);
    }
    return opened;
}

} // namespace

OpenedStream OpenStream(const std::string& path, uint32_t baud) {
    std::string problem;
    if (const auto network = ParseNetworkLine(path, problem); network) {
        return OpenNetwork(*network, baud);
    }
    if (!problem.empty()) {
        OpenedStream opened = Failed(OpenFailure::BadNetworkAddress, 0);
        opened.problem = std::move(problem);
        return opened;
    }
    std::unique_ptr<TtyStream> tty = TtyStream::Open(path, baud);
    if (!tty) {
        const int error = errno;
        return Failed(Classify(error), error);
    }
    OpenedStream opened;
    opened.stream = std::move(tty);
    return opened;
}

} // namespace tessary
