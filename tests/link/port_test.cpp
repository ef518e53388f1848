// Serial ports: the ones a user is offered, and the line's contract, kept by
// the POSIX port here and the Win32 port on the COM port VARNOK_TEST_PORT names,
// with servePartner (pty.h) at the far end; under Wine it is varnok_pty_partner.
#include "link/port_list_internal.h"
#include "link/ports.h"

#include <gtest/gtest.h>

#include <chrono>
#include <numeric>

#ifdef _WIN32
#include <windows.h>
#else
#include "link/pty.h"

#include <filesystem>
#include <fstream>
#include <thread>
#endif

namespace varnok {
namespace {

using Bytes = std::vector<std::uint8_t>;

#ifdef _WIN32
std::string environment(const char* name) { return std::getenv(name) ? std::getenv(name) : ""; }
std::string partnerPort() { return environment("VARNOK_TEST_PORT"); }
#else
// Here the partner runs beside the tests on a line of its own, anew after a hang-up.
struct Partner {
    Partner() : thread(test::servePartner, std::cref(line), std::cref(stop)) {}
    ~Partner() {
        stop = true;
        thread.join();
    }
    test::Pty line;
    std::atomic<bool> stop{false};
    std::thread thread;
};
std::unique_ptr<Partner> g_partner;
std::string partnerPort() { return (g_partner ? g_partner : g_partner = std::make_unique<Partner>())->line.path; }
#endif

class SerialLine : public ::testing::Test {
protected:
    void SetUp() override {
        if ((name = partnerPort()).empty())
            GTEST_SKIP() << "VARNOK_TEST_PORT names no port whose far end runs varnok_pty_partner";
        ASSERT_NO_FATAL_FAILURE(open());
    }

    void open() {
        OpenedPort opened = openSystemSerialPort(name);
        ASSERT_TRUE(opened.port) << opened.error;
        port = std::move(opened.port);
        ASSERT_TRUE(port->purge(PurgeKind::AbortAndClear));
    }

    void send(const Bytes& bytes) { ASSERT_TRUE(port->write(bytes.data(), bytes.size())); }
    /// Keeps whether the read succeeded and what it received; gives the milliseconds it took.
    long read(std::uint8_t* buffer, std::size_t count) {
        const auto start = std::chrono::steady_clock::now();
        ok = port->read(buffer, count, got = 12345);
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    }

    std::string name;
    std::unique_ptr<SerialPort> port;
    bool ok = true;
    std::size_t got = 0;
};

TEST_F(SerialLine, ReadsEndAtTheirCountAtTheGapAfterTheLastByteOrAtTheTotalTimeOut) {
    // count, bytes sent, 10 ms before the first, ms between them, and the time the read may take, generous above
    for (const auto& [count, sent, delay10, gapMs, minMs, maxMs] :
         {std::tuple{std::size_t{1}, Bytes{}, 0, 0, 530, 950}, // a silent line: 500 + 50 n ms
          {12, {}, 0, 0, 1080, 1500},
          {12, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 30, 10, 300 + 90 - 30, 900}}) { // a short reply, late and trickling
        Bytes command = {'S', std::uint8_t(delay10), std::uint8_t(gapMs), std::uint8_t(sent.size())}, buffer(12, 0xA5);
        command.insert(command.end(), sent.begin(), sent.end());
        send(command);
        const long ms = read(buffer.data(), count);
        EXPECT_TRUE(ok && ms >= minMs && ms <= maxMs) << ms << " ms to read " << count << " of " << sent.size();
        EXPECT_EQ(got, sent.size()) << count;
        Bytes expected = sent;
        expected.resize(12, 0xA5); // the rest of the buffer is left alone
        EXPECT_EQ(buffer, expected) << count;
    }
}

TEST_F(SerialLine, PurgesDropWhatWaitsAndEveryByteValueCrossesBothWays) {
    std::uint8_t byte = 0;
    for (const PurgeKind kind : {PurgeKind::Clear, PurgeKind::AbortAndClear}) {
        send({'S', 0, 0, 5, 's', 't', 'a', 'l', 'e'});
        read(&byte, 1); // then the rest waits at the port
        EXPECT_TRUE(port->purge(kind));
        send({'S', 0, 0, 1, 'Z'});
        read(&byte, 1);
        EXPECT_EQ(byte, 'Z') << "kind " << static_cast<int>(kind);
    }
    // The transfer clears right before each request, while the last may still be on its way out.
    Bytes all(256), back(256);
    std::iota(all.begin(), all.end(), std::uint8_t{0});
    send({'E'});
    for (std::size_t at = 0; at < all.size(); at += 4) {
        ASSERT_TRUE(port->purge(PurgeKind::Clear));
        ASSERT_TRUE(port->write(all.data() + at, 4));
    }
    read(back.data(), back.size());
    EXPECT_EQ(back, all);
}

TEST_F(SerialLine, OpensAreRefusedByNameAndReasonUntilTheHolderCloses) {
#ifdef _WIN32
    // COM123 is reached only through the device namespace; Wine does not
    // enforce exclusive opens.
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    const bool exclusive = !ntdll || !GetProcAddress(ntdll, "wine_get_version");
    std::vector<std::pair<std::string, std::string>> cases = {{"COM97", "no such port"}, {"COM123", "no such port"}};
#else
    const bool exclusive = true;
    std::vector<std::pair<std::string, std::string>> cases = {{"/dev/varnok-no-such-tty", "no such device"},
                                                              {"/dev/null", "not a serial port"}};
#endif
    if (exclusive)
        cases.emplace_back(name, "it is in use by another program");
    for (const auto& [device, reason] : cases) {
        const OpenedPort opened = openSystemSerialPort(device);
        EXPECT_FALSE(opened.port) << device;
        EXPECT_EQ(opened.error.rfind("cannot open " + device + ": " + reason, 0), 0u) << opened.error;
    }
    port.reset();
    EXPECT_TRUE(openSystemSerialPort(name).port);
}

TEST(PortMenu, ListsNoPortTwice) {
    std::vector<std::string> names;
    for (const PortInfo& port : portsBesidesCom({{systemDeviceFor("COM1"), ""},
                                                 {systemDeviceFor("COM4"), ""},
                                                 {"COM2", ""},
                                                 {"ttyUSB0", ""},
                                                 {"COM7", ""}}))
        names.push_back(port.name);
    EXPECT_EQ(names, (std::vector<std::string>{"ttyUSB0", "COM7"}));
}

#ifdef _WIN32
TEST_F(SerialLine, PortsAboveNineAreOpenedThroughTheDeviceNamespace) {
    if ((name = environment("VARNOK_TEST_HIGH_PORT")).empty()) // the partner's line once more
        GTEST_SKIP() << "VARNOK_TEST_HIGH_PORT names no port above COM9";
    port.reset();
    ASSERT_NO_FATAL_FAILURE(open());
    send({'S', 0, 0, 1, 'h'});
    std::uint8_t byte = 0;
    EXPECT_TRUE(read(&byte, 1) >= 0 && byte == 'h');
}
#else
TEST_F(SerialLine, FailsEveryCallAtOnceAfterAHangUp) {
    g_partner.reset();
    std::uint8_t buffer[12] = {};
    EXPECT_LT(read(buffer, 12), 900) << "the read sat out its time-out on a dead line";
    EXPECT_FALSE(ok);
    EXPECT_FALSE(port->write(buffer, 1));
    EXPECT_FALSE(port->purge(PurgeKind::Clear));
}

TEST(SysfsPortScan, ListsWhatCanBeOpenedInNameOrderAsAUserKnowsIt) {
    namespace fs = std::filesystem;
    char folder[] = "/tmp/varnok-sysfs-XXXXXX";
    ASSERT_TRUE(::mkdtemp(folder));
    const fs::path sys = fs::path(folder) / "sys", devices = sys / "devices", dev = fs::path(folder) / "dev";
    for (const auto& [file, text] : {std::pair{"usb1/1-3/idVendor", "067b"},
                                     {"usb1/1-3/idProduct", "2303"},
                                     {"usb1/1-3/manufacturer", " Prolific "},
                                     {"usb1/1-3/product", "Controller \t"},
                                     {"usb1/1-2/idVendor", "1a86"},
                                     {"usb1/1-2/idProduct", "7523"}}) {
        fs::create_directories((devices / file).parent_path());
        std::ofstream(devices / file) << text << '\n';
    }
    // Left out: a placeholder UART (type 0), a tty without a node, as in a
    // container, and one without a device, as a virtual terminal.
    fs::create_directories(dev);
    for (const auto& [name, node, device, type] : {std::tuple{"ttyUSB10", true, "usb1/1-3/1-3:1.0/ttyUSB10", ""},
                                                   {"ttyUSB2", true, "usb1/1-2/1-2:1.0/ttyUSB2", ""},
                                                   {"ttyS0", true, "pnp0/00:01", "4"},
                                                   {"ttyS1", true, "platform/serial8250:0.1", "0"},
                                                   {"ttyS2", false, "pnp0/00:02", "4"},
                                                   {"tty0", true, "", ""}}) {
        fs::create_directories(sys / "class/tty" / name);
        fs::create_directories(devices / device);
        if (*device)
            fs::create_directory_symlink(devices / device, sys / "class/tty" / name / "device");
        if (*type)
            std::ofstream(sys / "class/tty" / name / "type") << type << '\n';
        if (node)
            std::ofstream(dev / name).put('\0');
    }
    std::vector<std::pair<std::string, std::string>> listed;
    for (const PortInfo& port : detail::scanSysfsPorts(sys.string(), dev.string()))
        listed.emplace_back(fs::path(port.name).filename().string(), port.description);
    fs::remove_all(folder);
    EXPECT_EQ(listed,
              (std::vector<std::pair<std::string, std::string>>{{"ttyS0", "serial port"},
                                                                {"ttyUSB2", "USB serial adapter [1a86:7523]"},
                                                                {"ttyUSB10", "Prolific Controller [067b:2303]"}}));
}
#endif

} // namespace
} // namespace varnok
