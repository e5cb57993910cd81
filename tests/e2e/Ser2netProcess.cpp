#include "Ser2netProcess.h"

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace tessary::test {

namespace {

sockaddr_in Loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

bool Listening(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in address = Loopback(port);
    const bool ok = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
    close(fd);
    return ok;
}

} // namespace

int FreeTcpPort() {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = Loopback(0);
    socklen_t size = sizeof(address);
    if (bind(fd, reinterpret_cast<const sockaddr*>(&address), size) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        close(fd);
        throw std::runtime_error("no free TCP port");
    }
    close(fd);
    return ntohs(address.sin_port);
}

std::string Ser2netProcess::Executable() {
    for (const char* candidate : {"/usr/sbin/ser2net", "/usr/bin/ser2net",
                                  "/usr/local/sbin/ser2net", "/usr/local/bin/ser2net"}) {
        if (access(candidate, X_OK) == 0) {
            return candidate;
        }
    }
    return {};
}

Ser2netProcess::Ser2netProcess(const std::string& tty, Mode mode) {
    char pattern[] = "/tmp/tessary-ser2net-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        throw std::runtime_error("cannot make a directory for ser2net");
    }
    dir_ = pattern;
    const int port = FreeTcpPort();
    const bool telnet = mode == Mode::Rfc2217;
    url_ = std::string(telnet ? "rfc2217" : "tcp") + "://127.0.0.1:" + std::to_string(port);
    const std::string config = dir_ + "/ser2net.yaml";
    std::ofstream(config) << "connection: &board\n"
                          << "  accepter: "
                          << (telnet ? "telnet(rfc2217),tcp(nodelay)," : "tcp(nodelay),")
                          << "127.0.0.1," << port << "\n"
                          << "  connector: serialdev," << tty << ",115200n81,local\n"
                          << "  options:\n"
                          << "    kickolduser: true\n"
                          // Bytes from the line go on at once, not gathered for a while.
                          << "    chardelay: false\n";

    std::vector<std::string> args{Executable(), "-n", "-u", "-c", config, "-P", dir_ + "/pid"};
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string log = dir_ + "/log";
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    const int spawned = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        pid_ = -1;
        throw std::runtime_error("cannot start ser2net");
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!Listening(port)) {
        if (std::chrono::steady_clock::now() > deadline) {
            Stop();
            throw std::runtime_error("ser2net does not listen on port " + std::to_string(port));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

Ser2netProcess::~Ser2netProcess() {
    Stop();
}

void Ser2netProcess::Stop() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        int status = 0;
        while (waitpid(pid_, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                kill(pid_, SIGKILL);
                waitpid(pid_, &status, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        pid_ = -1;
    }
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
}

} // namespace tessary::test
