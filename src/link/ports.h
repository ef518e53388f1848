// Opening a port by the name the user chose.
#pragma once

#include "link/clock.h"
#include "link/port_list.h"
#include "link/serial_port.h"

#include <string>
#include <vector>

namespace varnok {

/// The port name of the built-in demo radio.
inline constexpr const char* kDemoPortName = "demo";

/// Opens "demo" (the built-in radio, paced like a 9600-baud line on
/// `clock`), "COM1" to "COM4", or any device path the system knows.
OpenedPort openPort(const std::string& name, Clock& clock = systemClock());

/// The serial ports present now, then the demo radio.
std::vector<PortInfo> availablePorts();

/// The ports a menu lists below COM1 to COM4: those present now that are
/// not one of those four under their device name (on Linux COM1 is
/// /dev/ttyS0), so no port is offered twice.
std::vector<PortInfo> portsBesidesCom(std::vector<PortInfo> present);

} // namespace varnok
