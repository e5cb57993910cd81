#include "GangRun.h"

#include "CancelSignals.h"
#include "DeviceLibrary.h"
#include "DeviceList.h"
#include "GangProcess.h"
#include "GangResult.h"
#include "Outcome.h"
#include "PrintingSinks.h"
#include "Refusal.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <ostream>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tessary::cli {
namespace {

using Clock = std::chrono::steady_clock;

struct Member {
    MemberProcess process;
    std::string out;
    std::string errPending; // the part of a line not yet ended
    Clock::time_point started;
    double seconds = 0;
    int waitStatus = 0;
    bool reaped = false;
};

// A device the library's table does not have, found before any board's process starts (the
// library is shut down again before they open their boards). False when the library cannot start.
bool FindUnknownDevice(const GangBoards& boards, std::string& refusal, std::ostream& err) {
    DeviceLibrary library;
    PrintingMessages messages(err, nullptr);
    if (!library.Start(messages)) {
        return false;
    }
    const std::vector<DeviceInfo> devices = ListDevices();
    for (const std::string& name : boards.names) {
        if (std::none_of(devices.begin(), devices.end(),
                         [&name](const DeviceInfo& device) { return device.name == name; })) {
            refusal = "No device named '" + name +
                      "' in the device table; 'tessary-cli devices' lists them.";
            break;
        }
    }
    return true;
}

// Reads what is there; false at the end of the pipe (it is then closed).
bool Drain(int& fd, std::string& into) {
    char buffer[4096];
    for (;;) {
        const ssize_t got = read(fd, buffer, sizeof(buffer));
        if (got > 0) {
            into.append(buffer, static_cast<std::size_t>(got));
            continue;
        }
        if (got < 0 && (errno == EAGAIN || errno == EINTR)) {
            return true;
        }
        close(fd);
        fd = -1;
        return false;
    }
}

void PassLines(Member& member, std::size_t index, GangDisplay& display, bool all) {
    std::string& text = member.errPending;
    std::size_t from = 0;
    for (std::size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', from)) {
        display.BoardLine(index, text.substr(from, end - from));
        from = end + 1;
    }
    text.erase(0, from);
    if (all && !text.empty()) {
        display.BoardLine(index, text);
        text.clear();
    }
}

void Reap(Member& member) {
    while (waitpid(member.process.pid, &member.waitStatus, 0) < 0 && errno == EINTR) {
    }
    member.reaped = true;
    member.seconds = std::chrono::duration<double>(Clock::now() - member.started).count();
}

} // namespace

int RunGang(const Request& request, const GangBoards& boards,
            const std::vector<std::string>& arguments, GangDisplay::Style style, int width,
            std::ostream& out, std::ostream& err) {
    std::string refusal = GangRefusal(request, boards);
    if (refusal.empty() && !boards.serial && !FindUnknownDevice(boards, refusal, err)) {
        return kExitFailed;
    }
    if (!refusal.empty()) {
        return ReportRefusal(request, CommandName(request.command), {refusal}, "", out, err);
    }
    CancelToken cancel;
    const CancelOnSignals signals(cancel);
    GangDisplay display(err, style, boards.names, width);
    std::vector<Member> members(boards.names.size());
    for (std::size_t i = 0; i < members.size(); ++i) {
        std::vector<std::string> memberArguments = {kGangMemberOption, std::to_string(i + 1)};
        memberArguments.insert(memberArguments.end(), arguments.begin(), arguments.end());
        members[i].started = Clock::now();
        members[i].process = StartMember(memberArguments);
        if (members[i].process.pid < 0) {
            members[i].reaped = true; // never started: a failure without an outcome
            members[i].waitStatus = 127 << 8;
        }
    }
    bool forwarded = false;
    for (;;) {
        if (cancel.Cancelled() && !forwarded) {
            forwarded = true;
            for (const Member& member : members) {
                if (!member.reaped) {
                    kill(member.process.pid, SIGTERM);
                }
            }
        }
        std::vector<pollfd> fds;
        std::vector<std::pair<std::size_t, bool>> owners; // member, stderr
        for (std::size_t i = 0; i < members.size(); ++i) {
            for (const bool isErr : {false, true}) {
                const int fd = isErr ? members[i].process.err : members[i].process.out;
                if (fd >= 0) {
                    fds.push_back({fd, POLLIN, 0});
                    owners.emplace_back(i, isErr);
                }
            }
        }
        if (fds.empty()) {
            break;
        }
        // A signal interrupts the wait; the timeout covers one that came just before it.
        if (poll(fds.data(), fds.size(), 100) <= 0) {
            continue;
        }
        for (std::size_t f = 0; f < fds.size(); ++f) {
            if (fds[f].revents == 0) {
                continue;
            }
            auto& [index, isErr] = owners[f];
            Member& member = members[index];
            const bool open = isErr ? Drain(member.process.err, member.errPending)
                                    : Drain(member.process.out, member.out);
            if (isErr) {
                PassLines(member, index, display, !open);
            }
            if (member.process.out < 0 && member.process.err < 0) {
                Reap(member);
            }
        }
    }
    display.Finish();
    std::vector<BoardResult> results;
    for (std::size_t i = 0; i < members.size(); ++i) {
        results.push_back(BoardResultOf(boards.names[i], members[i].waitStatus, members[i].out,
                                        members[i].seconds));
    }
    if (request.json) {
        for (const BoardResult& result : results) {
            out << result.json << '\n';
        }
    } else {
        out << SummaryTable(results);
    }
    out.flush();
    return GangExitCode(results, cancel.Cancelled());
}

} // namespace tessary::cli
