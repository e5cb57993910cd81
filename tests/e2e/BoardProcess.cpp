#include "BoardProcess.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace tessary::test {

namespace {

// The first line the board prints: the path of its terminal.
std::string ReadFirstLine(int fd) {
    std::string line;
    for (;;) {
        pollfd entry{fd, POLLIN, 0};
        char c = 0;
        if (poll(&entry, 1, 5000) <= 0 || read(fd, &c, 1) != 1) {
            throw std::runtime_error("the board printed no terminal path");
        }
        if (c == '\n') {
            return line;
        }
        line += c;
    }
}

std::string DefaultPeer() {
    const char* peer = std::getenv("TESSARY_SERIAL_PEER");
    return peer != nullptr && *peer != '\0' ? peer : TESSARY_BOARD_EXE;
}

} // namespace

bool BoardProcess::HelpNames(const std::string& word) {
    FILE* help = popen((DefaultPeer() + " --help").c_str(), "r");
    if (help == nullptr) {
        return false;
    }
    std::string text;
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof(buffer), help)) > 0;) {
        text.append(buffer, got);
    }
    pclose(help);
    return text.find(word) != std::string::npos;
}

BoardProcess::BoardProcess(const std::vector<std::string>& options, const std::string& stderrPath)
    : BoardProcess(DefaultPeer(), options, stderrPath) {}

BoardProcess::BoardProcess(const std::string& executable, const std::vector<std::string>& options,
                           const std::string& stderrPath) {
    std::vector<std::string> args{executable};
    args.insert(args.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);

    int out[2];
    if (pipe(out) != 0) {
        throw std::runtime_error("pipe");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, out[1]);
    if (!stderrPath.empty()) {
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, stderrPath.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
    }
    const int spawned = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
        close(out[0]);
        throw std::runtime_error("cannot start " + executable);
    }
    try {
        path_ = ReadFirstLine(out[0]);
    } catch (...) {
        close(out[0]);
        Stop(SIGKILL);
        throw;
    }
    close(out[0]);
}

BoardProcess::~BoardProcess() {
    if (pid_ > 0) {
        Stop(SIGTERM);
    }
}

int BoardProcess::Stop(int signal) {
    kill(pid_, signal);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    int status = 0;
    while (waitpid(pid_, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
            pid_ = -1;
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

} // namespace tessary::test
