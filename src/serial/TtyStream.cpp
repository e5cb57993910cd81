#include "TtyStream.h"

#include "TtyConfig.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace tessary {

std::unique_ptr<TtyStream> TtyStream::Open(const std::string& path, uint32_t baud) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    // One user of the line at a time: another program holding it makes this Open fail as busy.
    const bool usable = fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) == 0 && ConfigureTty(fd, baud);
    if (!usable) {
        const int error = errno;
        if (fd >= 0) {
            ::close(fd);
        }
        errno = error;
        return nullptr;
    }
    (void)ioctl(fd, TIOCEXCL);
    // Bytes that reached the line before it was ours belong to no request of ours.
    tcflush(fd, TCIFLUSH);
    return std::unique_ptr<TtyStream>(new TtyStream(fd));
}

TtyStream::~TtyStream() {
    // Exclusive mode stays on the tty for as long as anyone holds it (a board simulator keeps its
    // pty open): left set, it would turn away every later open by an ordinary user.
    (void)ioctl(Descriptor(), TIOCNXCL);
}

ssize_t TtyStream::Put(const uint8_t* bytes, size_t count) {
    return ::write(Descriptor(), bytes, count);
}

ssize_t TtyStream::Get(uint8_t* buffer, size_t count) {
    return ::read(Descriptor(), buffer, count);
}

} // namespace tessary
