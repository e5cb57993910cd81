// The boards of a run on several boards at once ("gang" mode): what is checked before any board
// is contacted, and the per-board file names.
#pragma once

#include "Request.h"

#include <string>
#include <vector>

namespace tessary::cli {

// The boards as the command line names them: the --device names or the --serial lines.
struct GangBoards {
    std::vector<std::string> names;
    bool serial = false;
};

// The placeholder a file name carries where each board's name goes.
inline constexpr const char* kDevicePlaceholder = "{device}";

// A form of the board's name fit for a file name: a device name as it is (a '/' becomes '-'),
// a serial line without "/dev/" and with '/' and ':' as '-' ("/dev/ttyUSB0" -> "ttyUSB0",
// "tcp://127.0.0.1:4000" -> "127.0.0.1-4000").
std::string FileSafeBoardName(const std::string& board, bool serial);

// The file name with every "{device}" replaced by `name`.
std::string SubstituteDevice(const std::string& file, const std::string& name);

// Why the command cannot run on these boards at once (a board named twice, a store whose file
// name has no "{device}", standard input or output as the file), or an empty text.
std::string GangRefusal(const Request& request, const GangBoards& boards);

} // namespace tessary::cli
