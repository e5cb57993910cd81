#include "TtyConfig.h"

#include "DefaultBaud.h"
#include "LineSpeed.h"

#include <sys/ioctl.h>
#include <termios.h>

namespace tessary {

bool ConfigureTty(int fd, uint32_t baud) {
    termios settings{};
    if (tcgetattr(fd, &settings) != 0) {
        return false;
    }
    cfmakeraw(&settings);
    settings.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
    settings.c_cflag |= CS8 | CREAD | CLOCAL;
    settings.c_iflag &= ~(IXON | IXOFF | IXANY);
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    cfsetispeed(&settings, B115200);
    cfsetospeed(&settings, B115200);
    if (tcsetattr(fd, TCSANOW, &settings) != 0) {
        return false;
    }
    // Any other rate, standard or not, through the driver's own rate field.
    static_assert(kDefaultBaud == 115200, "B115200 above sets the default rate");
    if (baud != kDefaultBaud && !SetLineSpeed(fd, baud)) {
        return false;
    }
    RequestLowLatency(fd);
    // Pseudo-terminals have no modem lines; there the request fails and changes nothing.
    int lines = TIOCM_DTR | TIOCM_RTS;
    (void)ioctl(fd, TIOCMBIC, &lines);
    return true;
}

} // namespace tessary
