// tessary-cli on four boards at once (tessary-board on four pseudo-terminals at 115200 baud,
// each line its own wire) against the same load on one board: the boards' processes run side by
// side, so four take about the time of one. Prints the median of a few runs and the ratio with
// its target.
#include "BoardProcess.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace tessary {
namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRuns = 3;
constexpr std::size_t kBytes = 32 * 1024;
constexpr double kTarget = 1.15;

// Runs tessary-cli with the arguments, its output to /dev/null; its exit status.
int RunCli(const std::vector<std::string>& arguments) {
    std::vector<char*> argv = {const_cast<char*>(TESSARY_CLI_PATH)};
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_RDWR);
        dup2(null, STDIN_FILENO);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

double MedianSeconds(const std::vector<std::string>& arguments) {
    std::vector<double> seconds;
    for (int run = 0; run < kRuns; ++run) {
        const auto start = Clock::now();
        const int status = RunCli(arguments);
        seconds.push_back(std::chrono::duration<double>(Clock::now() - start).count());
        if (status != 0) {
            std::fprintf(stderr, "tessary-cli ended with status %d\n", status);
            std::exit(1);
        }
    }
    std::sort(seconds.begin(), seconds.end());
    return seconds[seconds.size() / 2];
}

} // namespace
} // namespace tessary

int main() {
    using namespace tessary;
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("gang-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string file = (dir / "in.bin").string();
    {
        std::vector<char> bytes(kBytes);
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            bytes[i] = static_cast<char>(i * 131 + 7);
        }
        FILE* out = std::fopen(file.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), out);
        std::fclose(out);
    }
    std::vector<std::unique_ptr<test::BoardProcess>> boards;
    for (int i = 0; i < 4; ++i) {
        boards.push_back(
            std::make_unique<test::BoardProcess>(std::vector<std::string>{"--baud", "115200"}));
    }
    const std::vector<std::string> load = {"-q", "--baud", "115200", "load-ram", file};
    std::vector<std::string> one = {"--serial", boards[0]->Path()};
    one.insert(one.end(), load.begin(), load.end());
    std::vector<std::string> four;
    for (const auto& board : boards) {
        four.insert(four.end(), {"--serial", board->Path()});
    }
    four.insert(four.end(), load.begin(), load.end());

    const double alone = MedianSeconds(one);
    const double together = MedianSeconds(four);
    const double ratio = together / alone;
    std::printf("load-ram of %zu bytes at 115200 baud: one board %.2f s, four at once %.2f s\n",
                kBytes, alone, together);
    std::printf("four boards / one board: %.3fx (target <= %.2fx)%s\n", ratio, kTarget,
                ratio <= kTarget ? "" : "  MISSED");
    std::filesystem::remove_all(dir);
    return 0;
}
