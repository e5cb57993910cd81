#pragma once

#include <string>
#include <sys/types.h>

namespace tessary::test {

// A real ser2net on 127.0.0.1 in front of a tty, for as long as this object lives: raw TCP or
// Telnet with COM-PORT-CONTROL (RFC 2217). Its configuration goes to a directory of its own, on a
// port that was free a moment before.
class Ser2netProcess {
  public:
    enum class Mode { Raw, Rfc2217 };

    // ser2net's path, or empty when it is not installed (scripts/install-deps.sh installs it).
    static std::string Executable();

    Ser2netProcess(const std::string& tty, Mode mode);
    ~Ser2netProcess();
    Ser2netProcess(const Ser2netProcess&) = delete;
    Ser2netProcess& operator=(const Ser2netProcess&) = delete;

    // tcp://127.0.0.1:PORT or rfc2217://127.0.0.1:PORT.
    const std::string& Url() const { return url_; }

  private:
    void Stop();

    pid_t pid_ = -1;
    std::string dir_;
    std::string url_;
};

// A TCP port on 127.0.0.1 that nobody listens on at the moment of asking.
int FreeTcpPort();

} // namespace tessary::test
