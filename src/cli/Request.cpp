#include "Request.h"

namespace tessary::cli {

const char* CommandName(Command command) {
    switch (command) {
    case Command::Devices:
        return "devices";
    case Command::Ports:
        return "ports";
    case Command::Probe:
        return "probe";
    case Command::LoadRam:
        return "load-ram";
    case Command::StoreRam:
        return "store-ram";
    case Command::LoadFlash:
        return "load-flash";
    case Command::StoreFlash:
        return "store-flash";
    case Command::Erase:
        return "erase";
    case Command::BlankCheck:
        return "blank-check";
    }
    return "";
}

} // namespace tessary::cli
