#include "link/ports.h"

#include "link/demo_radio.h"

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

} // namespace varnok
