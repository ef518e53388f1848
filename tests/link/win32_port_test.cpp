// The Windows port layer on a real COM port. For the PartnerPort tests the
// far end of the line is varnok_pty_partner, which sends what each test asks
// of it over the line itself; scripts/check-windows runs it behind a
// pseudo-terminal and makes that Wine's COM1. Without the environment
// variable naming the port, the tests that need a port are skipped.
#include "link/port_list.h"
#include "link/serial_port.h"

#include <gtest/gtest.h>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <numeric>
#include <string>
#include <vector>

namespace varnok {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

/// The port whose far end is the partner, e.g. "COM1".
constexpr const char* kPortVariable = "VARNOK_TEST_PORT";
/// The same line under a number above 9, e.g. "COM12".
constexpr const char* kHighPortVariable = "VARNOK_TEST_HIGH_PORT";

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

bool runningUnderWine() {
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

long msSince(Clock::time_point start) {
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

/// A partner command followed by a one-byte count and that many data bytes.
Bytes counted(std::uint8_t command, const Bytes& data) {
    Bytes out;
    out.reserve(data.size() + 2);
    out.push_back(command);
    out.push_back(static_cast<std::uint8_t>(data.size()));
    for (std::uint8_t b : data)
        out.push_back(b);
    return out;
}

class PartnerPort : public ::testing::Test {
protected:
    void SetUp() override {
        portName = environment(kPortVariable);
        if (portName.empty())
            GTEST_SKIP() << kPortVariable << " names no port whose far end runs varnok_pty_partner";
        ASSERT_NO_FATAL_FAILURE(open(portName));
    }

    void open(const std::string& name) {
        SCOPED_TRACE("port " + name);
        OpenedPort opened = openSystemSerialPort(name);
        ASSERT_TRUE(opened.port) << opened.error;
        EXPECT_EQ(opened.error, "");
        port = std::move(opened.port);
        ASSERT_NO_FATAL_FAILURE(sync());
    }

    // Whatever an earlier test left on the line is dropped: the partner
    // forgets its plans and answers with a fresh token, and everything up to
    // that token is thrown away.
    void sync() {
        static std::uint8_t token = static_cast<std::uint8_t>(GetTickCount());
        token = static_cast<std::uint8_t>(token + 1);
        ASSERT_TRUE(port->purge(PurgeKind::AbortAndClear));
        send({'R', token});
        Bytes seen;
        const auto start = Clock::now();
        while (msSince(start) < 3000) {
            std::uint8_t byte = 0;
            std::size_t received = 0;
            ASSERT_TRUE(port->read(&byte, 1, received));
            if (received == 0)
                continue;
            seen.push_back(byte);
            if (seen.size() >= 2 && seen[seen.size() - 2] == 0x06 && seen.back() == token)
                return;
        }
        FAIL() << "the partner did not answer (" << seen.size() << " other bytes came)";
    }

    void send(const Bytes& bytes) { ASSERT_TRUE(port->write(bytes.data(), bytes.size())); }

    /// Up to count bytes, in as many reads as it takes within a few seconds.
    Bytes receive(std::size_t count) {
        Bytes got(count);
        std::size_t have = 0;
        const auto start = Clock::now();
        while (have < count && msSince(start) < 3000) {
            std::size_t received = 0;
            if (!port->read(got.data() + have, count - have, received))
                break;
            have += received;
        }
        got.resize(have);
        return got;
    }

    struct ReadResult {
        bool ok;
        std::size_t received;
        long ms;
    };
    ReadResult timedRead(std::uint8_t* buffer, std::size_t count) {
        std::size_t received = 12345;
        const auto start = Clock::now();
        const bool ok = port->read(buffer, count, received);
        return {ok, received, msSince(start)};
    }

    std::string portName;
    std::unique_ptr<SerialPort> port;
};

TEST_F(PartnerPort, OpeningSetsTheLineWhateverStateItWasLeftIn) {
    // The partner spoils the line (wrong speed and stop bits, echo, line
    // editing, translation) and then answers with a byte and an end of
    // line, which a cooked line lets through: once the byte is here, the
    // next open meets the spoilt line.
    send({'X'});
    std::uint8_t byte = 0;
    const ReadResult spoiled = timedRead(&byte, 1);
    ASSERT_EQ(spoiled.received, 1u);
    ASSERT_EQ(byte, 0x06);
    port.reset();

    ASSERT_NO_FATAL_FAILURE(open(portName));
    // Character size and parity do not show on a pseudo-terminal, which
    // Linux keeps at 8 bits without parity.
    send({'L'});
    const Bytes report = receive(6);
    ASSERT_EQ(report.size(), 6u);
    EXPECT_EQ(report[0], 'L');
    EXPECT_EQ(report[1], 1) << "not 9600 baud";
    EXPECT_EQ(report[2], 1) << "not one stop bit";
    EXPECT_EQ(report[3], 1) << "line editing or echo is on";
    EXPECT_EQ(report[4], 1) << "output is processed";
    EXPECT_EQ(report[5], 1) << "input is translated";
}

TEST_F(PartnerPort, EveryByteValuePassesUnchangedBothWays) {
    // Raw mode matters: CR, LF, XON, XOFF, ^C and 0xFF all occur in images.
    Bytes all(256);
    std::iota(all.begin(), all.end(), std::uint8_t{0});
    Bytes echo{'E', 0x01, 0x00};
    echo.insert(echo.end(), all.begin(), all.end());
    send(echo);
    Bytes got(256);
    const ReadResult r = timedRead(got.data(), got.size());
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.received, 256u);
    EXPECT_EQ(got, all);
}

TEST_F(PartnerPort, ReadReturnsAsSoonAsTheCountHasArrived) {
    // The partner writes its answer at once, so once the first byte is in,
    // the other twelve are waiting.
    send(counted('S', {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
    std::uint8_t first = 0xEE;
    ASSERT_EQ(timedRead(&first, 1).received, 1u);
    EXPECT_EQ(first, 0);

    std::uint8_t buffer[8] = {};
    ReadResult r = timedRead(buffer, 8);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.received, 8u);
    EXPECT_LT(r.ms, 45) << "waited for a gap although the count was complete";
    EXPECT_EQ(Bytes(buffer, buffer + 8), (Bytes{1, 2, 3, 4, 5, 6, 7, 8}));

    // Bytes beyond the count stay queued for the next read.
    r = timedRead(buffer, 4);
    EXPECT_EQ(r.received, 4u);
    EXPECT_EQ(Bytes(buffer, buffer + 4), (Bytes{9, 10, 11, 12}));
}

TEST_F(PartnerPort, SilentLineTimesOutWithSuccessAndNoBytes) {
    struct Case {
        std::size_t count;
        long expectedMs; // 500 + 50 n
    };
    for (const Case c : {Case{1, 550}, Case{8, 900}, Case{12, 1100}}) {
        std::uint8_t buffer[12];
        std::fill(std::begin(buffer), std::end(buffer), 0xA5);
        const ReadResult r = timedRead(buffer, c.count);
        EXPECT_TRUE(r.ok) << c.count;
        EXPECT_EQ(r.received, 0u) << c.count;
        EXPECT_GE(r.ms, c.expectedMs - 20) << c.count;
        EXPECT_LE(r.ms, c.expectedMs + 250) << c.count;
        for (std::uint8_t b : buffer)
            EXPECT_EQ(b, 0xA5) << "buffer touched by a read of " << c.count;
    }
}

TEST_F(PartnerPort, ShortReadEndsAtTheGapAfterTheLastByte) {
    // A radio that answers 10 of 12 bytes must not cost the full 1100 ms.
    send(counted('S', {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    std::uint8_t buffer[12];
    std::fill(std::begin(buffer), std::end(buffer), 0xEE);
    const ReadResult r = timedRead(buffer, 12);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.received, 10u);
    EXPECT_GE(r.ms, 45) << "did not wait for a gap before giving up on the rest";
    EXPECT_LT(r.ms, 400);
    EXPECT_EQ(Bytes(buffer, buffer + 12), (Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 0xEE, 0xEE}));
}

TEST_F(PartnerPort, GapRuleStartsOnlyWithTheFirstByte) {
    // A radio that takes 300 ms to start answering is still heard: before the
    // first byte only the total time-out counts.
    send({'D', 0x01, 0x2C, 1, 0x06}); // 300 ms
    std::uint8_t buffer[2] = {};
    const ReadResult r = timedRead(buffer, 2);
    EXPECT_TRUE(r.ok);
    ASSERT_EQ(r.received, 1u);
    EXPECT_EQ(buffer[0], 0x06);
    EXPECT_GE(r.ms, 330) << "did not wait for the gap after the byte";
    EXPECT_LT(r.ms, 600) << "kept waiting after the gap that followed the byte";
}

TEST_F(PartnerPort, BytesTrickledWithinTheGapMakeOneRead) {
    // 30 ms apart, each byte restarts the 50 ms gap.
    send({'T', 30, 5, 0x40, 0x41, 0x42, 0x43, 0x44});
    std::uint8_t buffer[5] = {};
    const ReadResult r = timedRead(buffer, 5);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.received, 5u);
    EXPECT_EQ(Bytes(buffer, buffer + r.received), (Bytes{0x40, 0x41, 0x42, 0x43, 0x44}));
    EXPECT_GE(r.ms, 110);
}

TEST_F(PartnerPort, EveryPurgeDiscardsWhatWaitsToBeRead) {
    for (const PurgeKind kind : {PurgeKind::Clear, PurgeKind::AbortAndClear}) {
        const char* name = kind == PurgeKind::Clear ? "clear" : "abort and clear";
        send(counted('S', {'s', 't', 'a', 'l', 'e'}));
        // The rest of the answer waits once its first byte is in.
        std::uint8_t byte = 0;
        ASSERT_EQ(timedRead(&byte, 1).received, 1u) << name;
        ASSERT_EQ(byte, 's') << name;
        EXPECT_TRUE(port->purge(kind)) << name;

        // The partner sees the port's queue empty, and its answer is the
        // next thing read.
        send({'Q'});
        EXPECT_EQ(receive(2), (Bytes{0, 0})) << name;
        send(counted('S', {'Z'}));
        EXPECT_EQ(receive(1), (Bytes{'Z'})) << name;
    }
}

TEST_F(PartnerPort, ClearKeepsBytesThatAreStillOnTheirWayOut) {
    // The protocol clears right after sending a request; the request must
    // still reach the radio, even one that has not read it yet.
    send({'Z', 0x00, 250});
    Sleep(50); // for the partner to stop reading
    constexpr int kRounds = 20;
    for (int round = 0; round < kRounds; ++round) {
        send({'N', 'N', 'N', 'N'});
        ASSERT_TRUE(port->purge(PurgeKind::Clear)) << "round " << round;
    }
    send({'C'});
    EXPECT_EQ(receive(2), (Bytes{0, 4 * kRounds}));
}

TEST_F(PartnerPort, PortsAboveNineAreReachedThroughTheDeviceNamespace) {
    // Only COM1 to COM9 have bare names; "COM12" without the \\.\ prefix is
    // a file of that name in the current folder.
    const std::string high = environment(kHighPortVariable);
    if (high.empty())
        GTEST_SKIP() << kHighPortVariable << " names no port above COM9 on the partner's line";
    port.reset();
    ASSERT_NO_FATAL_FAILURE(open(high));
    send(counted('S', {'h', 'i'}));
    EXPECT_EQ(receive(2), (Bytes{'h', 'i'}));
}

// These two need a port that exists, not the partner: on a Windows machine
// they run with the name of any COM port in VARNOK_TEST_PORT.
TEST(ExistingPort, SecondOpenIsRefusedUntilTheFirstPortIsGone) {
    const std::string name = environment(kPortVariable);
    if (name.empty())
        GTEST_SKIP() << kPortVariable << " names no port";
    if (runningUnderWine())
        GTEST_SKIP() << "Wine does not enforce exclusive opens of serial ports; run this on Windows";
    OpenedPort first = openSystemSerialPort(name);
    ASSERT_TRUE(first.port) << first.error;

    const OpenedPort again = openSystemSerialPort(name);
    EXPECT_FALSE(again.port);
    EXPECT_NE(again.error.find(name), std::string::npos) << again.error;
    EXPECT_NE(again.error.find("in use"), std::string::npos) << again.error;

    first.port.reset();
    const OpenedPort reopened = openSystemSerialPort(name);
    EXPECT_TRUE(reopened.port) << reopened.error;
}

TEST(ExistingPort, PortListShowsIt) {
    const std::string name = environment(kPortVariable);
    if (name.empty())
        GTEST_SKIP() << kPortVariable << " names no port";
    const std::vector<PortInfo> ports = listSerialPorts();
    const bool listed = std::any_of(ports.begin(), ports.end(), [&](const PortInfo& p) { return p.name == name; });
    EXPECT_TRUE(listed) << name << " is missing from a list of " << ports.size();
}

TEST(OpenSerialPort, MissingPortsAreRefusedByName) {
    // COM97 has a bare name, COM123 needs the device namespace; neither
    // exists, and the message names the port the user chose.
    for (const std::string name : {"COM97", "COM123"}) {
        const OpenedPort opened = openSystemSerialPort(name);
        EXPECT_FALSE(opened.port) << name;
        EXPECT_NE(opened.error.find(name), std::string::npos) << opened.error;
        EXPECT_NE(opened.error.find("no such port"), std::string::npos) << opened.error;
        EXPECT_EQ(opened.error.find('\n'), std::string::npos) << "not one line: " << opened.error;
    }
}

} // namespace
} // namespace varnok
