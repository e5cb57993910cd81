#include "NetworkLine.h"

#include <cerrno>
#include <charconv>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tessary {

namespace {

constexpr std::string_view kRaw = "tcp://";
constexpr std::string_view kTelnet = "rfc2217://";

// Waits for a non-blocking connect to finish; 0 on success, else the error it ended with.
int FinishConnect(int fd, int timeoutMs) {
    pollfd entry{fd, POLLOUT, 0};
    int ready = 0;
    do {
        ready = poll(&entry, 1, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    if (ready == 0) {
        return ETIMEDOUT;
    }
    int error = 0;
    socklen_t size = sizeof(error);
    if (ready < 0 || getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0) {
        return errno;
    }
    return error;
}

} // namespace

std::optional<NetworkLine> ParseNetworkLine(std::string_view name, std::string& problem) {
    problem.clear();
    NetworkLine line;
    if (name.substr(0, kRaw.size()) == kRaw) {
        name.remove_prefix(kRaw.size());
    } else if (name.substr(0, kTelnet.size()) == kTelnet) {
        line.kind = NetworkLine::Kind::Rfc2217;
        name.remove_prefix(kTelnet.size());
    } else {
        return std::nullopt;
    }
    // [v6 address]:port, or host:port.
    size_t colon = name.rfind(':');
    std::string_view host = colon == std::string_view::npos ? name : name.substr(0, colon);
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
        host = host.substr(1, host.size() - 2);
    }
    const std::string_view port = colon == std::string_view::npos ? "" : name.substr(colon + 1);
    if (host.empty() || port.empty()) {
        problem = "not a network line: write tcp://HOST:PORT or rfc2217://HOST:PORT";
        return std::nullopt;
    }
    // Taken whole: a port past 65535 would otherwise connect to its remainder, and port 0 to
    // nothing anyone chose.
    unsigned number = 0;
    const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), number);
    if (error != std::errc() || end != port.data() + port.size() || number < 1 || number > 65535) {
        problem = "the port must be a number from 1 to 65535";
        return std::nullopt;
    }
    line.host = host;
    line.port = port;
    return line;
}

int ConnectNetworkLine(const NetworkLine& line, int timeoutMs) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(line.host.c_str(), line.port.c_str(), &hints, &found) != 0) {
        errno = EHOSTUNREACH;
        return -1;
    }
    int error = ECONNREFUSED;
    int fd = -1;
    for (const addrinfo* a = found; a != nullptr && fd < 0; a = a->ai_next) {
        fd = socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0) {
            error = errno;
            continue;
        }
        error = connect(fd, a->ai_addr, a->ai_addrlen) == 0 ? 0 : errno;
        if (error == EINPROGRESS) {
            error = FinishConnect(fd, timeoutMs);
        }
        if (error != 0) {
            close(fd);
            fd = -1;
        }
    }
    freeaddrinfo(found);
    if (fd < 0) {
        errno = error;
        return -1;
    }
    const int on = 1;
    (void)setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof(on));
    return fd;
}

} // namespace tessary
