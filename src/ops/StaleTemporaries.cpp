#include "StaleTemporaries.h"

#include <cerrno>
#include <charconv>
#include <csignal>
#include <dirent.h>
#include <string_view>
#include <unistd.h>

namespace tessary {
namespace {

constexpr std::string_view kPrefix = ".tessary-";
constexpr std::string_view kSuffix = ".tmp";

// The process id in a temporary file's name; 0 for any other name.
long OwnerOf(std::string_view name) {
    if (!name.starts_with(kPrefix) || !name.ends_with(kSuffix)) {
        return 0;
    }
    name.remove_prefix(kPrefix.size());
    name.remove_suffix(kSuffix.size());
    long pid = 0;
    const auto [stop, error] = std::from_chars(name.data(), name.data() + name.size(), pid);
    unsigned number = 0;
    if (error != std::errc() || pid <= 0 || stop == name.data() + name.size() || *stop != '-') {
        return 0;
    }
    const char* end = name.data() + name.size();
    const auto [last, numberError] = std::from_chars(stop + 1, end, number);
    return numberError == std::errc() && last == end && last != stop + 1 ? pid : 0;
}

} // namespace

std::string TemporaryName(const std::string& directory, int pid, unsigned number) {
    return directory + "/" + std::string(kPrefix) + std::to_string(pid) + "-" +
           std::to_string(number) + std::string(kSuffix);
}

void RemoveStaleTemporaries(const std::string& directory) {
    DIR* listing = ::opendir(directory.c_str());
    if (listing == nullptr) {
        return;
    }
    while (const dirent* entry = ::readdir(listing)) {
        const long pid = OwnerOf(entry->d_name);
        if (pid == 0 || pid == ::getpid()) {
            continue;
        }
        if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) {
            ::unlinkat(::dirfd(listing), entry->d_name, 0);
        }
    }
    ::closedir(listing);
}

} // namespace tessary
