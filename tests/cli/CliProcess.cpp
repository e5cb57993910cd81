#include "CliProcess.h"

#include <array>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace tessary::test {
namespace {

constexpr auto kLongestRun = std::chrono::seconds(120);

std::vector<std::string>
Environment(const std::vector<std::pair<std::string, std::string>>& settings) {
    std::vector<std::string> result;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        bool replaced = false;
        for (const auto& [name, value] : settings) {
            replaced = replaced || text.starts_with(name + "=");
        }
        if (!replaced) {
            result.push_back(text);
        }
    }
    for (const auto& [name, value] : settings) {
        result.push_back(name + "=" + value);
    }
    return result;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

// Reads both pipes until both are closed, so that neither side blocks on a full pipe; sends the
// interruption's signal when its time has come.
void Collect(int outFd, int errFd, pid_t pid, const std::optional<Interruption>& interruption,
             const CliWatcher& watch, CliResult& result) {
    std::array<pollfd, 2> fds{pollfd{outFd, POLLIN, 0}, pollfd{errFd, POLLIN, 0}};
    std::array<std::string*, 2> targets{&result.out, &result.err};
    const auto start = std::chrono::steady_clock::now();
    const auto deadline = start + kLongestRun;
    bool signalled = !interruption;
    int open = 2;
    while (open > 0) {
        const auto now = std::chrono::steady_clock::now();
        if (now > deadline) {
            kill(pid, SIGKILL);
            break;
        }
        int wait = 1000;
        if (!signalled) {
            const auto due = start + interruption->after;
            if (now >= due) {
                kill(pid, interruption->signal);
                signalled = true;
            } else {
                wait = static_cast<int>(
                    std::chrono::ceil<std::chrono::milliseconds>(due - now).count());
            }
        }
        if (poll(fds.data(), fds.size(), wait) < 0 && errno != EINTR) {
            break;
        }
        for (std::size_t i = 0; i < fds.size(); ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) {
                continue;
            }
            char buffer[4096];
            const ssize_t got = read(fds[i].fd, buffer, sizeof(buffer));
            if (got > 0) {
                targets[i]->append(buffer, static_cast<std::size_t>(got));
                if (watch && i == 1) {
                    watch(pid, result.err);
                }
            } else if (got == 0 || errno != EINTR) {
                fds[i].fd = -1;
                --open;
            }
        }
    }
}

CliResult Run(const std::vector<std::string>& arguments,
              const std::vector<std::pair<std::string, std::string>>& environment,
              const std::optional<Interruption>& interruption, const CliWatcher& watch,
              const std::string& inputPath = {}) {
    std::vector<std::string> args{TESSARY_CLI_PATH};
    args.insert(args.end(), arguments.begin(), arguments.end());
    std::vector<std::string> env = Environment(environment);
    std::vector<char*> argv = Pointers(args);
    std::vector<char*> envp = Pointers(env);

    int out[2];
    int err[2];
    if (pipe(out) != 0 || pipe(err) != 0) {
        throw std::runtime_error("pipe");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    if (!inputPath.empty()) {
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, inputPath.c_str(), O_RDONLY, 0);
    }
    for (int fd : {out[0], out[1], err[0], err[1]}) {
        posix_spawn_file_actions_addclose(&actions, fd);
    }
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    CliResult result;
    if (spawned != 0) {
        close(out[0]);
        close(err[0]);
        throw std::runtime_error(std::string("cannot start tessary-cli: ") +
                                 std::strerror(spawned));
    }
    Collect(out[0], err[0], pid, interruption, watch, result);
    close(out[0]);
    close(err[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

} // namespace

CliResult RunCli(const std::vector<std::string>& arguments,
                 const std::vector<std::pair<std::string, std::string>>& environment) {
    return Run(arguments, environment, std::nullopt, CliWatcher());
}

CliResult RunCliWithInput(const std::vector<std::string>& arguments,
                          const std::vector<std::pair<std::string, std::string>>& environment,
                          const std::string& inputPath) {
    return Run(arguments, environment, std::nullopt, CliWatcher(), inputPath);
}

CliResult RunCli(const std::vector<std::string>& arguments,
                 const std::vector<std::pair<std::string, std::string>>& environment,
                 const Interruption& interruption) {
    return Run(arguments, environment, interruption, CliWatcher());
}

CliResult RunCli(const std::vector<std::string>& arguments,
                 const std::vector<std::pair<std::string, std::string>>& environment,
                 const CliWatcher& watch) {
    return Run(arguments, environment, std::nullopt, watch);
}

} // namespace tessary::test
