#include "TcpStream.h"

#include "NetworkLine.h"

#include <cerrno>
#include <sys/socket.h>
#include <unistd.h>

namespace tessary {

std::unique_ptr<TcpStream> TcpStream::Connect(const NetworkLine& line, int timeoutMs) {
    const int fd = ConnectNetworkLine(line, timeoutMs);
    if (fd < 0) {
        return nullptr;
    }
    return std::unique_ptr<TcpStream>(new TcpStream(fd));
}

ssize_t TcpStream::Put(const uint8_t* bytes, size_t count) {
    // A server that closed the connection is an error here, never a SIGPIPE.
    return ::send(Descriptor(), bytes, count, MSG_NOSIGNAL);
}

ssize_t TcpStream::Get(uint8_t* buffer, size_t count) {
    const ssize_t n = ::read(Descriptor(), buffer, count);
    if (n == 0) {
        errno = ECONNRESET; // the server closed the connection
        return -1;
    }
    return n;
}

} // namespace tessary
