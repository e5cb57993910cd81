// Finding the serial lines of a machine (in a /dev and /sys of the test's own), and what a fast
// board's identity says about its Flash.
#include "SerialPorts.h"
#include "RecentLines.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <stdlib.h>
#include <unistd.h>

namespace tessary::test {
namespace {

namespace fs = std::filesystem;

// A pseudo-terminal: a character device the test may create without privileges.
class Pty {
  public:
    Pty() : master_(posix_openpt(O_RDWR | O_NOCTTY)) {
        grantpt(master_);
        unlockpt(master_);
    }
    ~Pty() { close(master_); }
    std::string Path() const { return ptsname(master_); }

  private:
    int master_;
};

class SerialPortsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/tessary-ports-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
        fs::create_directories(root_ + "/dev/serial/by-id");
    }
    void TearDown() override { fs::remove_all(root_); }

    void Link(const std::string& target, const std::string& name) {
        fs::create_symlink(target, root_ + name);
    }
    void SysType(const std::string& tty, int type) {
        fs::create_directories(root_ + "/sys/class/tty/" + tty);
        std::ofstream(root_ + "/sys/class/tty/" + tty + "/type") << type << '\n';
    }

    std::string root_;
};

TEST_F(SerialPortsTest, AdaptersByNameFirstThenNodesThenLinesUsedBefore) {
    Pty ftdi, acm, uart, noUart, usedBefore, alsoListed;
    Link(ftdi.Path(), "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
    Link(ftdi.Path(), "/dev/ttyUSB0"); // the same adapter: listed once, by name
    Link(acm.Path(), "/dev/ttyACM0");
    Link(uart.Path(), "/dev/ttyS10");
    Link(noUart.Path(), "/dev/ttyS2");
    SysType("ttyS10", 4); // a 16550A
    SysType("ttyS2", 0);  // no UART behind it
    Link(root_ + "/nowhere", "/dev/serial/by-id/usb-Unplugged-if00");
    std::ofstream(root_ + "/dev/ttyUSB7") << "a file, not a device";

    const std::vector<SerialPortInfo> ports = FindSerialPorts(
        root_, {usedBefore.Path(), ftdi.Path(), "/dev/pts/no-such", "tcp://lab:4000"});
    ASSERT_EQ(ports.size(), 4u);
    EXPECT_EQ(ports[0].path,
              root_ + "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
    EXPECT_EQ(ports[0].label,
              "FTDI FT232R USB UART A50285BI (" + fs::path(ftdi.Path()).filename().string() + ")");
    EXPECT_EQ(ports[1].path, root_ + "/dev/ttyACM0");
    EXPECT_EQ(ports[2].path, root_ + "/dev/ttyS10");
    EXPECT_EQ(ports[3].path, usedBefore.Path());
    EXPECT_EQ(ports[3].label, usedBefore.Path() + " (used before)");
}

TEST(ReadableById, DropsBusInterfaceAndPortParts) {
    EXPECT_EQ(ReadableById("usb-Silicon_Labs_CP2102_0001-if00-port0"), "Silicon Labs CP2102 0001");
    EXPECT_EQ(ReadableById("usb-Arduino__www.arduino.cc__0043_8573-if00"),
              "Arduino  www.arduino.cc  0043 8573");
    EXPECT_EQ(ReadableById("pci-0000:00:16.3"), "0000:00:16.3");
}

TEST(RecentLines, MostRecentFirstWithoutRepeats) {
    char pattern[] = "/tmp/tessary-state-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    setenv("XDG_STATE_HOME", pattern, 1);
    EXPECT_TRUE(RecentLines().empty());
    for (int i = 0; i < 10; ++i) {
        ASSERT_TRUE(RememberLine("/dev/pts/" + std::to_string(i)));
    }
    ASSERT_TRUE(RememberLine("/dev/pts/5"));
    const std::vector<std::string> lines = RecentLines();
    ASSERT_EQ(lines.size(), kMaxRecentLines);
    EXPECT_EQ(lines[0], "/dev/pts/5");
    EXPECT_EQ(lines[1], "/dev/pts/9");
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "/dev/pts/5"), 1);
    EXPECT_FALSE(RememberLine("two\nlines"));
    unsetenv("XDG_STATE_HOME");
    fs::remove_all(pattern);
}

} // namespace
} // namespace tessary::test
