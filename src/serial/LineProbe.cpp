#include "LineProbe.h"

#include "QuoteText.h"
#include "SerialLine.h"
#include "SerialPort.h"

namespace tessary {

LineProbeResult ProbeLine(const std::string& path, uint32_t baud) {
    LineProbeResult result;
    SerialLine line;
    SerialPort port;
    line.Initialize();
    line.SetBaud(baud);
    port.Initialize(line);
    if (!port.OpenPath(path.c_str())) {
        result.failure = line.OpenFailureText();
        return result;
    }
    bool present = false;
    char identity[64] = {};
    if (!port.Probe(present) || !present) {
        result.failure = QuoteForMessage(path, 4096) +
                         ": no answer; is the board powered, its design loaded, and the line "
                         "at the board's baud rate?";
    } else if (!port.GetIdentity(static_cast<int>(sizeof(identity)), identity)) {
        result.failure = QuoteForMessage(path, 4096) +
                         ": the board answered the probe but not the identity request";
    } else {
        result.ok = true;
        result.identity = identity;
    }
    port.Close();
    port.Uninitialize();
    return result;
}

} // namespace tessary
