#pragma once

#include <cstdint>
#include <string>

namespace tessary::peer {

// The board's end of a serial line: the master side of a new pseudo-terminal, or a tty.
class Terminal {
  public:
    Terminal() = default;
    ~Terminal();
    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;

    // A new pseudo-terminal, raw. The board keeps the slave side open as well, so that the line
    // survives clients closing and reopening it. False with a reason on failure.
    bool OpenPseudoTerminal(std::string* error);
    // A tty, raw at `baud`. False with a reason on failure.
    bool OpenTty(const std::string& path, uint32_t baud, std::string* error);

    int fd() const { return fd_; }
    // The path a client opens.
    const std::string& path() const { return path_; }

  private:
    int fd_ = -1;
    int slaveHold_ = -1;
    std::string path_;
};

} // namespace tessary::peer
