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

OpenedStream Opened(std::unique_ptr<ByteStream> stream) {
    OpenedStream opened;
    opened.stream = std::move(stream);
    return opened;
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
    if (network.kind == NetworkLine::Kind::Raw) {
        return Opened(std::move(connection));
    }
    std::unique_ptr<TelnetStream> telnet = TelnetStream::Open(std::move(connection), baud);
    if (!telnet) {
        return Failed(OpenFailure::Other, errno);
    }
    return Opened(std::move(telnet));
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
    return Opened(std::move(tty));
}

} // namespace tessary
