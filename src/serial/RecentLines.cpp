#include "RecentLines.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace tessary {

std::string RecentLinesPath() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state != nullptr && state[0] != '\0') {
        return std::string(state) + "/tessary/serial-lines";
    }
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') {
        return {};
    }
    return std::string(home) + "/.local/state/tessary/serial-lines";
}

std::vector<std::string> RecentLines() {
    std::vector<std::string> lines;
    const std::string path = RecentLinesPath();
    if (path.empty()) {
        return lines;
    }
    std::ifstream file(path);
    for (std::string line; lines.size() < kMaxRecentLines && std::getline(file, line);) {
        if (!line.empty()) {
            lines.push_back(line);
        }
    }
    return lines;
}

bool RememberLine(const std::string& line) {
    const std::string path = RecentLinesPath();
    if (path.empty() || line.empty() || line.find('\n') != std::string::npos) {
        return false;
    }
    std::vector<std::string> lines = RecentLines();
    std::erase(lines, line);
    lines.insert(lines.begin(), line);
    lines.resize(std::min(lines.size(), kMaxRecentLines));
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
    // A temporary beside the file and a rename: two programs remembering at once never leave
    // half a file.
    const std::string temporary = path + "." + std::to_string(::getpid()) + ".tmp";
    {
        std::ofstream file(temporary, std::ios::trunc);
        for (const std::string& each : lines) {
            file << each << '\n';
        }
        if (!file.flush()) {
            std::remove(temporary.c_str());
            return false;
        }
    }
    return std::rename(temporary.c_str(), path.c_str()) == 0;
}

} // namespace tessary
