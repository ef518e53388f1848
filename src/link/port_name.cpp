#include "link/serial_port.h"

namespace varnok {

std::string systemDeviceFor(const std::string& portName) {
#ifdef _WIN32
    return portName;
#else
    // The programming cable of old was always on one of the first four
    // ports; keep their names meaningful here.
    if (portName.size() == 4 && portName.compare(0, 3, "COM") == 0 && portName[3] >= '1' && portName[3] <= '4')
        return "/dev/ttyS" + std::string(1, static_cast<char>(portName[3] - 1));
    return portName;
#endif
}

} // namespace varnok
