#include "link/ports.h"

#include "link/demo_radio.h"

#include <algorithm>

namespace varnok {

OpenedPort openPort(const std::string& name, Clock& clock) {
    if (name == kDemoPortName)
        return OpenedPort{std::make_unique<DemoRadioPort>(sharedDemoRadio(), clock, true), {}};
    return openSystemSerialPort(systemDeviceFor(name));
}

std::vector<PortInfo> availablePorts() {
    std::vector<PortInfo> ports = listSerialPorts();
    ports.push_back(PortInfo{kDemoPortName, "built-in demo radio"});
    return ports;
}

std::vector<PortInfo> portsBesidesCom(std::vector<PortInfo> present) {
    const auto isCom = [](const PortInfo& port) {
        for (const char* com : {"COM1", "COM2", "COM3", "COM4"})
            if (port.name == com || port.name == systemDeviceFor(com))
                return true;
        return false;
    };
    present.erase(std::remove_if(present.begin(), present.end(), isCom), present.end());
    return present;
}

} // namespace varnok
