// The serial ports of a POSIX machine. On Linux they come from sysfs, which
// tells real hardware from the many virtual terminals under /dev and knows
// the USB vendor and product of an adapter.
#include "link/port_list_internal.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace varnok {
namespace detail {
namespace {

namespace fs = std::filesystem;

std::string readAttribute(const fs::path& file) {
    std::ifstream in(file);
    std::string text;
    std::getline(in, text);
    const auto isSpace = [](unsigned char c) { return std::isspace(c) != 0; };
    while (!text.empty() && isSpace(static_cast<unsigned char>(text.back())))
        text.pop_back();
    const auto first = std::find_if_not(text.begin(), text.end(), isSpace);
    return std::string(first, text.end());
}

bool present(const fs::path& path) {
    std::error_code ec;
    return fs::exists(path, ec);
}

// Serial-core drivers register a port for every line the kernel was built to
// allow (ttyS0 to ttyS31 with the 8250 driver), found or not; the ones with
// no UART behind them report type 0 (PORT_UNKNOWN). sysfs shows the same
// value TIOCGSERIAL would, without opening, and so raising DTR on, every port.
bool isPlaceholderUart(const fs::path& tty) { return present(tty / "type") && readAttribute(tty / "type") == "0"; }

// The USB device is the first ancestor with vendor and product ids: above the
// usb-serial port (ttyUSB) or the interface (ttyACM).
fs::path usbDeviceOf(fs::path device, const fs::path& sysRoot) {
    for (; device.has_relative_path() && device != sysRoot; device = device.parent_path())
        if (present(device / "idVendor") && present(device / "idProduct"))
            return device;
    return {};
}

// What a user recognises a port by: the adapter's maker and product as its
// USB descriptors give them, with the ids that tell twins apart; a port on
// the machine itself is just a serial port. Driver names mean little to a
// user and are left out.
std::string describe(const fs::path& tty, const fs::path& sysRoot) {
    std::error_code ec;
    const fs::path device = fs::canonical(tty / "device", ec);
    const fs::path usb = ec ? fs::path() : usbDeviceOf(device, sysRoot);
    if (usb.empty())
        return "serial port";
    std::string text;
    for (const std::string& part : {readAttribute(usb / "manufacturer"), readAttribute(usb / "product")})
        if (!part.empty())
            text += (text.empty() ? "" : " ") + part;
    if (text.empty())
        text = "USB serial adapter";
    return text + " [" + readAttribute(usb / "idVendor") + ":" + readAttribute(usb / "idProduct") + "]";
}

} // namespace

std::vector<PortInfo> scanSysfsPorts(const std::string& sysRoot, const std::string& devRoot) {
    std::vector<PortInfo> ports;
    std::error_code ec;
    const fs::path root = fs::canonical(sysRoot, ec);
    if (ec)
        return ports;
    for (fs::directory_iterator it(root / "class" / "tty", ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path tty = it->path();
        const std::string name = tty.filename().string();
        // Consoles, virtual terminals and pseudo-terminals have no device.
        if (!present(tty / "device") || isPlaceholderUart(tty))
            continue;
        // A container may see the host's sysfs but not its device nodes.
        const fs::path node = fs::path(devRoot) / name;
        if (!present(node))
            continue;
        ports.push_back({node.string(), describe(tty, root)});
    }
    sortByName(ports);
    return ports;
}

} // namespace detail

std::vector<PortInfo> listSerialPorts() {
#if defined(__linux__)
    return detail::scanSysfsPorts("/sys", "/dev");
#elif defined(__APPLE__)
    // The call-out devices (cu.*) open without waiting for carrier; their
    // tty.* twins would block on a cable that does not raise it.
    std::vector<PortInfo> ports;
    std::error_code ec;
    for (std::filesystem::directory_iterator it("/dev", ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.compare(0, 3, "cu.") == 0)
            ports.push_back({it->path().string(), ""});
    }
    detail::sortByName(ports);
    return ports;
#else
    return {};
#endif
}

} // namespace varnok
