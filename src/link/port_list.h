// The serial devices present on this machine, for the port picker.
#pragma once

#include <string>
#include <vector>

namespace varnok {

struct PortInfo {
    std::string name;        ///< what to open: "/dev/ttyUSB0", "COM7"
    std::string description; ///< e.g. "FTDI FT232R USB UART (ftdi_sio)"; may be empty
};

/// Lists the serial ports that exist now, sorted by name.
std::vector<PortInfo> listSerialPorts();

} // namespace varnok
