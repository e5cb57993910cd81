// How soon a line whose far end goes away ends the wait, and what the wait costs: a pty whose
// board hangs up 100 ms into a reply, the next request on that line, and a TCP server that closes
// the connection. Each figure is printed with its target; the tests check only that the hang-up,
// not the reply's allowance, ended the wait.
#include "PtyPeer.h"
#include "RegisterPort.h"
#include "SerialLine.h"
#include "SerialPort.h"

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <netinet/in.h>
#include <string>
#include <sys/resource.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace tessary {
namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::duration<double, std::milli>;
constexpr int kRuns = 10;

// CPU time this thread has used, user and system together.
Ms ThreadCpuTime() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    const auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
    return Ms(ms(usage.ru_utime) + ms(usage.ru_stime));
}

void Print(const char* what, std::vector<double> ms, double target) {
    std::sort(ms.begin(), ms.end());
    const double worst = ms.back();
    std::printf("%-48s median %7.2f ms, worst %7.2f ms (target < %.0f ms)%s\n", what,
                ms[ms.size() / 2], worst, target, worst < target ? "" : "  MISSED");
}

void PtyHangUp() {
    std::vector<double> afterHangUp, cpu, next;
    for (int run = 0; run < kRuns; ++run) {
        test::PtyPeer peer;
        SerialLine line;
        line.Initialize();
        if (!line.Open(peer.SlavePath().c_str())) {
            std::fprintf(stderr, "cannot open %s\n", peer.SlavePath().c_str());
            return;
        }
        peer.Write({0x05, 0x85}); // the start of a reply that never ends
        Clock::time_point hungUp;
        std::thread killer([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            peer.HangUp();
            hungUp = Clock::now();
        });
        uint8_t buffer[68];
        int length = 0;
        const Ms cpuBefore = ThreadCpuTime();
        line.ReceiveFrame(65, length, buffer);
        const auto ended = Clock::now();
        cpu.push_back((ThreadCpuTime() - cpuBefore).count());
        killer.join();
        afterHangUp.push_back(std::max(0.0, Ms(ended - hungUp).count()));
        const uint8_t probe[] = {0x40};
        const auto again = Clock::now();
        if (line.SendFrame(1, probe)) {
            line.ReceiveFrame(65, length, buffer);
        }
        next.push_back(Ms(Clock::now() - again).count());
    }
    Print("pty: wait ended after the hang-up", afterHangUp, 500);
    Print("pty: CPU of the 100 ms wait", cpu, 50);
    Print("pty: next request on the hung-up line", next, 100);
}

void TcpHangUp() {
    std::vector<double> probes;
    for (int run = 0; run < kRuns; ++run) {
        const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof(address);
        if (bind(listener, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
            listen(listener, 1) != 0 ||
            getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
            std::perror("listener");
            return;
        }
        std::thread server([listener] {
            const int client = accept(listener, nullptr, nullptr);
            if (client >= 0) {
                close(client);
            }
        });
        SerialLine line;
        SerialPort port;
        line.Initialize();
        port.Initialize(line);
        const std::string url = "tcp://127.0.0.1:" + std::to_string(ntohs(address.sin_port));
        const bool opened = port.OpenPath(url.c_str());
        server.join();
        close(listener);
        if (!opened) {
            std::fprintf(stderr, "cannot open %s\n", url.c_str());
            return;
        }
        for (int i = 0; i < 3; ++i) {
            const auto start = Clock::now();
            bool present = true;
            port.Probe(present);
            probes.push_back(Ms(Clock::now() - start).count());
        }
        port.Close();
    }
    Print("tcp: probe after the server hung up", probes, 500);
}

} // namespace
} // namespace tessary

int main() {
    tessary::PtyHangUp();
    tessary::TcpHangUp();
}
