// ports and probe: the serial lines found, and a board tested before it is used.
#include "BoardProcess.h"
#include "CliFixture.h"

#include <fcntl.h>
#include <filesystem>
#include <stdlib.h>
#include <unistd.h>

namespace tessary::test {
namespace {

namespace fs = std::filesystem;

class Ports : public CliTest {};

TEST_F(Ports, ListsAdaptersByNameAndTheLinesUsedBefore) {
    BoardProcess adapter;
    BoardProcess named;
    // A /dev of its own: an adapter's by-id link, and its ttyUSB node, which is not listed twice.
    const std::string root = Path("root");
    fs::create_directories(root + "/dev/serial/by-id");
    const std::string link =
        root + "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
    fs::create_symlink(adapter.Path(), link);
    fs::create_symlink(adapter.Path(), root + "/dev/ttyUSB0");
    fs::create_symlink(Path("gone"), root + "/dev/serial/by-id/usb-Gone_Adapter-if00");
    SetEnvironment("TESSARY_PORTS_ROOT", root);

    ASSERT_EQ(Cli({"--serial", named.Path(), "probe"}).exitCode, 0);
    const CliResult ports = Cli({"ports"});
    ASSERT_EQ(ports.exitCode, 0) << ports.err;
    EXPECT_EQ(ports.out, link + "  FTDI FT232R USB UART A50285BI (" +
                             fs::path(adapter.Path()).filename().string() + ")\n" + named.Path() +
                             "  " + named.Path() + " (used before)\n");
}

TEST_F(Ports, ProbeShowsTheBoardsIdentity) {
    BoardProcess board({"--identity", "Bench board 7"});
    const CliResult probe = Cli({"--serial", board.Path(), "probe"});
    EXPECT_EQ(probe.exitCode, 0) << probe.err;
    EXPECT_EQ(probe.out.rfind("Bench board 7", 0), 0u) << probe.out;
}

TEST_F(Ports, ProbeSaysWhyALineCannotBeUsed) {
    const CliResult missing = Cli({"--serial", Path("ttyUSB9"), "probe"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err, "error: " + Path("ttyUSB9") + ": no such device\n");

    // A line with nothing behind it: a pty whose other end never answers.
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    const CliResult silent = Cli({"--serial", ptsname(master), "probe"});
    close(master);
    EXPECT_EQ(silent.exitCode, 1);
    EXPECT_NE(silent.err.find("no answer"), std::string::npos) << silent.err;
}

TEST_F(Ports, ProbeOfADeviceOfTheTable) {
    const CliResult probe = Cli({"--device", "Sim4M", "probe"});
    EXPECT_EQ(probe.exitCode, 0) << probe.err;
    EXPECT_EQ(probe.out, "Tessary simulated board, 4096K Flash\n");
    EXPECT_EQ(Cli({"--device", "Nope", "probe"}).exitCode, 2);
}

} // namespace
} // namespace tessary::test
