// Any bytes a Telnet server sends, cut anywhere: the client never reads outside them, never
// yields more data bytes than it was given, and its data bytes, escaped, decode to themselves.
#include "TelnetComPort.h"

#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using tessary::TelnetComPort;
    TelnetComPort telnet;
    (void)telnet.Open(115200);
    std::vector<uint8_t> received;
    std::vector<uint8_t> answers;
    const size_t cut = size == 0 ? 0 : data[0] % (size + 1);
    telnet.Take(data, cut, received, answers);
    telnet.Take(data + cut, size - cut, received, answers);
    if (received.size() > size) {
        std::abort();
    }
    std::vector<uint8_t> escaped;
    TelnetComPort::Escape(received.data(), received.size(), escaped);
    TelnetComPort back;
    std::vector<uint8_t> decoded;
    std::vector<uint8_t> none;
    back.Take(escaped.data(), escaped.size(), decoded, none);
    if (decoded != received || !none.empty()) {
        std::abort();
    }
    return 0;
}
