#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace tessary::test {

// A board program (tessary-board, or tessary-rtl-board where it is built) running in its own
// process on a new pseudo-terminal, for as long as this object lives.
class BoardProcess {
  public:
    explicit BoardProcess(const std::vector<std::string>& options = {});
    BoardProcess(const std::string& executable, const std::vector<std::string>& options);
    ~BoardProcess();
    BoardProcess(const BoardProcess&) = delete;
    BoardProcess& operator=(const BoardProcess&) = delete;

    // The pseudo-terminal the board answers on.
    const std::string& Path() const { return path_; }
    // Sends `signal` and waits for the board to end: its exit code, or 128 + the signal that
    // killed it; -1 when it had not ended after five seconds (it is then killed).
    int Stop(int signal);

  private:
    pid_t pid_ = -1;
    std::string path_;
};

} // namespace tessary::test
