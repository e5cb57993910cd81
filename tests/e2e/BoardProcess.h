#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace tessary::test {

// A board program (tessary-board, or tessary-rtl-board where it is built) running in its own
// process on a new pseudo-terminal, for as long as this object lives. TESSARY_SERIAL_PEER names
// another program to run in place of tessary-board with the same options: it prints the path of
// its terminal as its first line on stdout and ends on SIGTERM.
class BoardProcess {
  public:
    // What the board writes to stderr (its --verbose log, say) goes to `stderrPath` when given.
    explicit BoardProcess(const std::vector<std::string>& options = {},
                          const std::string& stderrPath = {});
    BoardProcess(const std::string& executable, const std::vector<std::string>& options,
                 const std::string& stderrPath = {});
    ~BoardProcess();
    BoardProcess(const BoardProcess&) = delete;
    BoardProcess& operator=(const BoardProcess&) = delete;

    // Whether the board program these objects run (tessary-board, or TESSARY_SERIAL_PEER) names
    // `word` in its --help: a --fault it offers, say.
    static bool HelpNames(const std::string& word);

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
