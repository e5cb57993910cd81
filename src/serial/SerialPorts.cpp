#include "SerialPorts.h"

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <linux/serial.h>
#include <regex>
#include <set>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessary {
namespace {

namespace fs = std::filesystem;

fs::path Under(const std::string& root, const std::string& path) {
    return fs::path(root) / fs::path(path).relative_path();
}

bool IsCharacterDevice(const fs::path& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISCHR(info.st_mode);
}

// Names in a folder that start with `prefix`, in natural order (ttyS2 before ttyS10).
std::vector<std::string> NamesStartingWith(const fs::path& folder, const std::string& prefix) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with(prefix)) {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    return names;
}

// Whether a ttyS line has a UART behind it: the kernel says so in sysfs, which needs no open (an
// open raises DTR and RTS, which some boards take as a reset); without sysfs, TIOCGSERIAL.
bool HasUart(const std::string& root, const std::string& name, const fs::path& device) {
    std::ifstream type(Under(root, "/sys/class/tty/" + name + "/type"));
    int value = 0;
    if (type >> value) {
        return value != PORT_UNKNOWN;
    }
    const int fd = ::open(device.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    serial_struct info{};
    const bool answers = ::ioctl(fd, TIOCGSERIAL, &info) == 0 && info.type != PORT_UNKNOWN;
    ::close(fd);
    return answers;
}

} // namespace

std::string ReadableById(const std::string& linkName) {
    std::string name = std::regex_replace(linkName, std::regex("^(usb|pci|platform)-"), "");
    name = std::regex_replace(name, std::regex("(-if[0-9]+)?(-port[0-9]+)?$"), "");
    std::replace(name.begin(), name.end(), '_', ' ');
    return name.empty() ? linkName : name;
}

std::vector<SerialPortInfo> FindSerialPorts(const std::string& root,
                                            const std::vector<std::string>& remembered) {
    std::vector<SerialPortInfo> ports;
    std::set<fs::path> seen; // device nodes already offered, by their resolved path
    const fs::path byId = Under(root, "/dev/serial/by-id");
    for (const std::string& name : NamesStartingWith(byId, "")) {
        const fs::path link = byId / name;
        std::error_code error;
        const fs::path target = fs::canonical(link, error);
        if (error || !IsCharacterDevice(target)) {
            continue; // a link left behind by an adapter that is gone
        }
        seen.insert(target);
        ports.push_back(
            {link.string(), ReadableById(name) + " (" + target.filename().string() + ")"});
    }
    const fs::path dev = Under(root, "/dev");
    for (const char* prefix : {"ttyUSB", "ttyACM", "ttyS"}) {
        for (const std::string& name : NamesStartingWith(dev, prefix)) {
            const fs::path device = dev / name;
            std::error_code error;
            const fs::path resolved = fs::canonical(device, error);
            if (error || seen.contains(resolved) || !IsCharacterDevice(device) ||
                (std::string_view(prefix) == "ttyS" && !HasUart(root, name, device))) {
                continue;
            }
            seen.insert(resolved);
            ports.push_back({device.string(), device.string()});
        }
    }
    for (const std::string& line : remembered) {
        std::error_code error;
        const fs::path resolved = fs::canonical(line, error);
        if (!error && !seen.contains(resolved) && IsCharacterDevice(resolved)) {
            seen.insert(resolved);
            ports.push_back({line, line + " (used before)"});
        }
    }
    return ports;
}

} // namespace tessary
