#include "link/port_list_internal.h"
#include "link/ports.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>

#include <stdlib.h>

namespace varnok {
namespace {

namespace fs = std::filesystem;

// A sysfs and /dev pair in a temporary folder, laid out as Linux 6 lays out
// its tty devices: class/tty entries linking into the device tree.
class FakeSystem {
public:
    FakeSystem() {
        char name[] = "/tmp/varnok-sysfs-XXXXXX";
        if (!::mkdtemp(name))
            throw std::runtime_error("cannot make a temporary folder");
        root_ = name;
        fs::create_directories(sys() / "class" / "tty");
        fs::create_directories(dev());
    }
    FakeSystem(const FakeSystem&) = delete;
    FakeSystem& operator=(const FakeSystem&) = delete;
    ~FakeSystem() {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }

    fs::path sys() const { return root_ / "sys"; }
    fs::path dev() const { return root_ / "dev"; }

    /// A device folder below sys/devices, with attribute files.
    fs::path device(const std::string& path, const std::map<std::string, std::string>& attributes = {}) const {
        const fs::path dir = sys() / "devices" / path;
        fs::create_directories(dir);
        for (const auto& [file, text] : attributes)
            std::ofstream(dir / file) << text << '\n';
        return dir;
    }

    void bindDriver(const fs::path& device, const std::string& bus, const std::string& driver) const {
        const fs::path target = sys() / "bus" / bus / "drivers" / driver;
        fs::create_directories(target);
        fs::create_directory_symlink(fs::relative(target, device), device / "driver");
    }

    /// A tty entry; with a parent device it stands for hardware.
    void tty(const std::string& name, const fs::path& parent, bool withNode = true,
             const std::map<std::string, std::string>& attributes = {}) const {
        const fs::path dir = parent.empty()
                                 ? device("virtual/tty/" + name, attributes)
                                 : device(fs::relative(parent / "tty" / name, sys() / "devices").string(), attributes);
        if (!parent.empty())
            fs::create_directory_symlink(fs::relative(parent, dir), dir / "device");
        fs::create_directory_symlink(fs::relative(dir, sys() / "class" / "tty"), sys() / "class" / "tty" / name);
        if (withNode)
            std::ofstream(dev() / name).put('\0');
    }

    void usbSerial(const std::string& name, const std::string& usbPath, const std::string& vendor,
                   const std::string& product, const std::string& manufacturer, const std::string& productName,
                   const std::string& driver) const {
        std::map<std::string, std::string> ids{{"idVendor", vendor}, {"idProduct", product}};
        if (!manufacturer.empty())
            ids["manufacturer"] = manufacturer;
        ids["product"] = productName;
        device(usbPath, ids);
        // The usb-serial port device sits below the interface, the tty below it.
        const fs::path port = device(usbPath + "/" + fs::path(usbPath).filename().string() + ":1.0/" + name);
        bindDriver(port, "usb-serial", driver);
        tty(name, port);
    }

private:
    fs::path root_;
};

std::vector<PortInfo> scan(const FakeSystem& fake) {
    return detail::scanSysfsPorts(fake.sys().string(), fake.dev().string());
}

TEST(SysfsPortScan, ListsHardwareWithDescriptionsInNameOrder) {
    FakeSystem fake;
    const std::string usb = "pci0000:00/0000:00:14.0/usb1/";
    fake.usbSerial("ttyUSB10", usb + "1-3", "067b", "2303", "Prolific Technology Inc.", "USB-Serial Controller",
                   "pl2303");
    fake.usbSerial("ttyUSB0", usb + "1-1", "0403", "6001", "FTDI", "FT232R USB UART", "ftdi_sio");
    fake.usbSerial("ttyUSB2", usb + "1-4", "1a86", "7523", "", "USB Serial", "ch341-uart");

    // An ACM modem's tty hangs directly below its interface.
    fake.device(usb + "1-2", {{"idVendor", "2341"},
                              {"idProduct", "0043"},
                              {"manufacturer", "Arduino (www.arduino.cc)"},
                              {"product", "Uno"}});
    const fs::path acm = fake.device(usb + "1-2/1-2:1.0");
    fake.bindDriver(acm, "usb", "cdc_acm");
    fake.tty("ttyACM0", acm);

    // A built-in UART: the driver that names it sits above the serial-core
    // port and controller devices.
    const fs::path uart = fake.device("pnp0/00:01");
    fake.bindDriver(uart, "pnp", "serial");
    const fs::path ctrl = fake.device("pnp0/00:01/00:01:0");
    fake.bindDriver(ctrl, "serial-base", "ctrl");
    const fs::path uartPort = fake.device("pnp0/00:01/00:01:0/00:01:0.0");
    fake.bindDriver(uartPort, "serial-base", "port");
    fake.tty("ttyS0", uartPort, true, {{"type", "4"}});

    const std::vector<PortInfo> ports = scan(fake);
    const std::string dev = fake.dev().string() + "/";
    const std::vector<std::pair<std::string, std::string>> expected = {
        {dev + "ttyACM0", "Arduino (www.arduino.cc) Uno [2341:0043]"},
        {dev + "ttyS0", "serial port"},
        {dev + "ttyUSB0", "FTDI FT232R USB UART [0403:6001]"},
        {dev + "ttyUSB2", "USB Serial [1a86:7523]"},
        {dev + "ttyUSB10", "Prolific Technology Inc. USB-Serial Controller [067b:2303]"},
    };
    ASSERT_EQ(ports.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(ports[i].name, expected[i].first);
        EXPECT_EQ(ports[i].description, expected[i].second) << ports[i].name;
    }
}

TEST(SysfsPortScan, LeavesOutWhatCannotBeAProgrammingCable) {
    FakeSystem fake;
    // Consoles and virtual terminals have no device behind them.
    fake.tty("tty0", {});
    fake.tty("ptmx", {});
    // The 8250 driver registers ports it never found; they report type 0.
    const fs::path placeholder = fake.device("platform/serial8250/serial8250:0/serial8250:0.1");
    fake.bindDriver(placeholder, "serial-base", "port");
    fake.tty("ttyS1", placeholder, true, {{"type", "0"}});
    // Seen in sysfs but without a node in this /dev, as in a container.
    const fs::path unreachable = fake.device("pnp0/00:02");
    fake.tty("ttyS2", unreachable, false, {{"type", "4"}});
    // A port the kernel did find stays, and so does one with no UART type.
    const fs::path found = fake.device("platform/serial8250/serial8250:0/serial8250:0.3");
    fake.tty("ttyS3", found, true, {{"type", "4"}});
    const fs::path amba = fake.device("platform/fe201000.serial");
    fake.bindDriver(amba, "amba", "uart-pl011");
    fake.tty("ttyAMA0", amba);

    const std::vector<PortInfo> ports = scan(fake);
    ASSERT_EQ(ports.size(), 2u);
    EXPECT_EQ(ports[0].name, fake.dev().string() + "/ttyAMA0");
    EXPECT_EQ(ports[0].description, "serial port");
    EXPECT_EQ(ports[1].name, fake.dev().string() + "/ttyS3");
}

TEST(PortMenu, ListsNoPortTwice) {
    const std::vector<PortInfo> present = {{systemDeviceFor("COM1"), "serial port"},
                                           {systemDeviceFor("COM4"), "serial port"},
                                           {"COM2", ""},
                                           {"/dev/ttyUSB0", "FTDI FT232R USB UART [0403:6001]"},
                                           {"COM7", ""}};
    std::vector<std::string> names;
    for (const PortInfo& port : portsBesidesCom(present))
        names.push_back(port.name);
    EXPECT_EQ(names, (std::vector<std::string>{"/dev/ttyUSB0", "COM7"}));
}

TEST(SysfsPortScan, MissingSysfsGivesAnEmptyList) {
    EXPECT_TRUE(detail::scanSysfsPorts("/nonexistent-varnok-sys", "/dev").empty());
}

TEST(PortNameOrder, NumbersCompareByValue) {
    const std::pair<const char*, const char*> ordered[] = {
        {"COM2", "COM10"},     {"ttyUSB2", "ttyUSB10"}, {"ttyACM0", "ttyS0"}, {"ttyS9", "ttyUSB0"},
        {"ttyUSB", "ttyUSB0"}, {"cu.a1b", "cu.a1c"},    {"COM1", "COM01x"},
    };
    for (const auto& [low, high] : ordered) {
        EXPECT_TRUE(detail::naturalLess(low, high)) << low << " < " << high;
        EXPECT_FALSE(detail::naturalLess(high, low)) << high << " !< " << low;
    }
    EXPECT_FALSE(detail::naturalLess("ttyS1", "ttyS1"));
}

} // namespace
} // namespace varnok
