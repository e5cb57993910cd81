#include "GangBoards.h"

#include "StandardStreams.h"

#include <set>

namespace tessary::cli {

std::string FileSafeBoardName(const std::string& board, bool serial) {
    std::string name = board;
    if (serial) {
        for (const std::string prefix : {"/dev/", "tcp://", "rfc2217://", "telnet://"}) {
            if (name.starts_with(prefix)) {
                name.erase(0, prefix.size());
                break;
            }
        }
    }
    for (char& c : name) {
        if (c == '/' || (serial && c == ':')) {
            c = '-';
        }
    }
    return name;
}

std::string SubstituteDevice(const std::string& file, const std::string& name) {
    const std::string placeholder = kDevicePlaceholder;
    std::string result;
    std::size_t from = 0;
    for (std::size_t at = file.find(placeholder); at != std::string::npos;
         at = file.find(placeholder, from)) {
        result.append(file, from, at - from).append(name);
        from = at + placeholder.size();
    }
    return result.append(file, from);
}

std::string GangRefusal(const Request& request, const GangBoards& boards) {
    const char* option = boards.serial ? "--serial" : "--device";
    std::set<std::string> seen;
    std::set<std::string> fileNames;
    for (const std::string& board : boards.names) {
        if (!seen.insert(board).second) {
            return std::string(option) + " '" + board +
                   "' is given twice; every board can run one operation at a time.";
        }
        fileNames.insert(FileSafeBoardName(board, boards.serial));
    }
    const bool store =
        request.command == Command::StoreRam || request.command == Command::StoreFlash;
    const bool load = request.command == Command::LoadRam || request.command == Command::LoadFlash;
    if ((store || load) && IsStandardStream(request.file)) {
        return std::string("'-' (standard ") + (store ? "output" : "input") +
               ") cannot be the file of several boards at once.";
    }
    if (store && request.file.find(kDevicePlaceholder) == std::string::npos) {
        return "A store from several boards writes one file per board: put {device} in the file "
               "name (e.g. 'dump-{device}.bin'), which becomes each board's name.";
    }
    if (request.file.find(kDevicePlaceholder) != std::string::npos &&
        fileNames.size() != boards.names.size()) {
        return "Two boards give the same name for {device} in the file name.";
    }
    return {};
}

} // namespace tessary::cli
