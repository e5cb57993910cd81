#include "SpiLog.h"

#include <cstdio>
#include <fstream>

namespace tessary::rtl {

bool WriteSpiLog(const std::string& path, const SpiNor& chip) {
    std::ofstream out(path);
    char line[96];
    std::vector<SpiCommand> commands = chip.Log();
    if (const auto open = chip.UnderWay()) {
        commands.push_back(*open); // CS# still low: ends the log as it stands
    }
    for (const SpiCommand& command : commands) {
        int n = std::snprintf(line, sizeof(line), "%02X", command.opcode);
        if (command.opcode == 0x05) {
            n += std::snprintf(line + n, sizeof(line) - n, " status=%02X", command.status);
        } else if (command.opcode == 0x02 || command.opcode == 0x03 || command.opcode == 0x20 ||
                   command.opcode == 0x52 || command.opcode == 0xD8) {
            n += std::snprintf(line + n, sizeof(line) - n, " addr=%06X bytes=%u", command.address,
                               command.dataBytes);
        }
        if (command.whileBusy) {
            std::snprintf(line + n, sizeof(line) - n, " busy");
        }
        out << line << "\n";
    }
    for (const std::string& fault : chip.Faults()) {
        out << "fault: " << fault << "\n";
    }
    return static_cast<bool>(out);
}

} // namespace tessary::rtl
