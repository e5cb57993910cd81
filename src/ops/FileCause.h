#pragma once

#include <string>
#include <string_view>

namespace tessary {

// The system's reason for an errno value, as strerror words it ("No such file or directory").
std::string SystemReason(int error);

// Why a file could not be used, naming it and the system's reason:
// cannot open "/tmp/x/fw.bin": No such file or directory
std::string FileCause(std::string_view action, std::string_view path, int error);

} // namespace tessary
