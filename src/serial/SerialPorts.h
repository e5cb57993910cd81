// The serial lines present on this machine, as a person chooses among them: USB adapters under
// /dev/serial/by-id with their readable names first, then ttyUSB*, ttyACM* and the ttyS* that
// have a UART behind them, then lines the person used before (ptys of tessary-board, for example)
// that still exist. No Qt; the root is a parameter so that tests can lay out a /dev of their own.
#pragma once

#include <string>
#include <vector>

namespace tessary {

struct SerialPortInfo {
    std::string path;  // what to open, e.g. /dev/serial/by-id/usb-FTDI_..., /dev/ttyUSB0
    std::string label; // for a list: "FTDI FT232R USB UART A50285BI (ttyUSB0)", or the path
};

// `root` is "/" on a real machine; `remembered` are lines used before, most recent first.
std::vector<SerialPortInfo> FindSerialPorts(const std::string& root,
                                            const std::vector<std::string>& remembered);

// "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0" -> "FTDI FT232R USB UART A50285BI".
std::string ReadableById(const std::string& linkName);

} // namespace tessary
