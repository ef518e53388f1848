#include "link/pty.h"
#include "link/serial_port.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <numeric>
#include <thread>

#include <signal.h>
#include <sys/wait.h>

namespace varnok {
namespace {

using test::Bytes;
using test::Pty;
using Clock = std::chrono::steady_clock;

long msSince(Clock::time_point start) {
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

// A port opened on a fresh pseudo-terminal, with the radio side at hand.
class PtyPort : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pty.ready()) << "no pseudo-terminal available";
        OpenedPort opened = openSystemSerialPort(pty.slavePath());
        ASSERT_TRUE(opened.port) << opened.error;
        EXPECT_EQ(opened.error, "");
        port = std::move(opened.port);
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

    Pty pty;
    std::unique_ptr<SerialPort> port;
};

TEST_F(PtyPort, LineIsRaw9600EightNoneOneWithoutFlowControl) {
    const termios tio = pty.lineSettings();
    EXPECT_EQ(cfgetispeed(&tio), static_cast<speed_t>(B9600));
    EXPECT_EQ(cfgetospeed(&tio), static_cast<speed_t>(B9600));
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(tio.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | IXANY | ICRNL | INLCR | IGNCR | ISTRIP | INPCK), 0u);
    EXPECT_EQ(tio.c_oflag & OPOST, 0u);
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    EXPECT_EQ(tio.c_cc[VMIN], 0);
    EXPECT_EQ(tio.c_cc[VTIME], 0);
}

TEST_F(PtyPort, EveryByteValuePassesUnchangedBothWays) {
    // Raw mode matters: CR, LF, XON, XOFF, ^C and 0xFF all occur in images.
    Bytes all(256);
    std::iota(all.begin(), all.end(), std::uint8_t{0});
    ASSERT_TRUE(port->write(all.data(), all.size()));
    EXPECT_EQ(pty.receive(all.size()), all);

    const Bytes reversed(all.rbegin(), all.rend());
    pty.send(reversed);
    Bytes got(256);
    const ReadResult r = timedRead(got.data(), got.size());
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.received, 256u);
    EXPECT_EQ(got, reversed);
}

TEST_F(PtyPort, ReadReturnsAsSoonAsTheCountHasArrived) {
    pty.send({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
    ASSERT_TRUE(pty.waitUntilWaitingAtPort(12));
    std::uint8_t buffer[8] = {};
    ReadResult r = timedRead(buffer, 8);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.received, 8u);
    EXPECT_LT(r.ms, 50) << "waited for a gap although the count was complete";
    EXPECT_EQ(Bytes(buffer, buffer + 8), (Bytes{1, 2, 3, 4, 5, 6, 7, 8}));

    // Bytes beyond the count stay queued for the next read.
    r = timedRead(buffer, 4);
    EXPECT_EQ(r.received, 4u);
    EXPECT_EQ(Bytes(buffer, buffer + 4), (Bytes{9, 10, 11, 12}));
}

TEST_F(PtyPort, SilentLineTimesOutWithSuccessAndNoBytes) {
    struct Case {
        std::size_t count;
        long expectedMs; // 500 + 50 n
    };
    for (const Case c : {Case{1, 550}, Case{12, 1100}}) {
        std::uint8_t buffer[12];
        std::fill(std::begin(buffer), std::end(buffer), 0xA5);
        const ReadResult r = timedRead(buffer, c.count);
        EXPECT_TRUE(r.ok) << c.count;
        EXPECT_EQ(r.received, 0u) << c.count;
        EXPECT_GE(r.ms, c.expectedMs - 20) << c.count;
        EXPECT_LE(r.ms, c.expectedMs + 200) << c.count;
        for (std::uint8_t b : buffer)
            EXPECT_EQ(b, 0xA5) << "buffer touched by a read of " << c.count;
    }
}

TEST_F(PtyPort, ShortReadEndsAtTheGapAfterTheLastByte) {
    // A radio that answers 10 of 12 bytes must not cost the full 1100 ms.
    pty.send({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    std::uint8_t buffer[12];
    std::fill(std::begin(buffer), std::end(buffer), 0xEE);
    const ReadResult r = timedRead(buffer, 12);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.received, 10u);
    EXPECT_GE(r.ms, 45) << "did not wait for a gap before giving up on the rest";
    EXPECT_LT(r.ms, 300);
    EXPECT_EQ(Bytes(buffer, buffer + 12), (Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 0xEE, 0xEE}));
}

TEST_F(PtyPort, GapRuleStartsOnlyWithTheFirstByte) {
    // A radio that takes 300 ms to start answering is still heard: before the
    // first byte only the total time-out counts.
    std::thread radio([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        pty.send({0x06});
    });
    std::uint8_t buffer[2] = {};
    const ReadResult r = timedRead(buffer, 2);
    radio.join();
    EXPECT_TRUE(r.ok);
    ASSERT_EQ(r.received, 1u);
    EXPECT_EQ(buffer[0], 0x06);
    EXPECT_GE(r.ms, 330);
    EXPECT_LT(r.ms, 600) << "kept waiting after the gap that followed the byte";
}

TEST_F(PtyPort, BytesTrickledWithinTheGapMakeOneRead) {
    // 30 ms apart, each byte restarts the 50 ms gap.
    const auto start = Clock::now();
    std::thread radio([this, start] {
        for (std::uint8_t i = 0; i < 5; ++i) {
            std::this_thread::sleep_until(start + std::chrono::milliseconds(30 * i));
            pty.send({static_cast<std::uint8_t>(0x40 + i)});
        }
    });
    std::uint8_t buffer[5] = {};
    std::size_t received = 0;
    const bool ok = port->read(buffer, 5, received);
    const long ms = msSince(start);
    radio.join();
    EXPECT_TRUE(ok);
    EXPECT_EQ(received, 5u);
    EXPECT_EQ(Bytes(buffer, buffer + received), (Bytes{0x40, 0x41, 0x42, 0x43, 0x44}));
    EXPECT_GE(ms, 110);
}

TEST_F(PtyPort, EveryPurgeDiscardsWhatWaitsToBeRead) {
    for (const PurgeKind kind : {PurgeKind::Clear, PurgeKind::AbortAndClear}) {
        pty.send({'s', 't', 'a', 'l', 'e'});
        ASSERT_TRUE(pty.waitUntilWaitingAtPort(5));
        EXPECT_TRUE(port->purge(kind));
        EXPECT_EQ(pty.waitingAtPort(), 0);

        pty.send({'Z'});
        std::uint8_t byte = 0;
        const ReadResult r = timedRead(&byte, 1);
        EXPECT_EQ(r.received, 1u);
        EXPECT_EQ(byte, 'Z');
    }
}

TEST_F(PtyPort, ClearKeepsBytesThatAreStillOnTheirWayOut) {
    // The protocol clears right after sending a request; the request must
    // still reach the radio.
    const Bytes request = {'R', 0x00, 0x40, 0x08};
    for (int round = 0; round < 20; ++round) {
        ASSERT_TRUE(port->write(request.data(), request.size()));
        ASSERT_TRUE(port->purge(PurgeKind::Clear));
        ASSERT_EQ(pty.receive(request.size()), request) << "round " << round;
    }
}

TEST_F(PtyPort, HangUpEndsAReadAndFailsLaterWrites) {
    std::thread radio([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        pty.closeMaster();
    });
    std::uint8_t buffer[12] = {};
    const ReadResult r = timedRead(buffer, 12);
    radio.join();
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.received, 0u);
    EXPECT_LT(r.ms, 900) << "the read sat out its time-out on a dead line";

    const std::uint8_t byte = 0x55;
    EXPECT_FALSE(port->write(&byte, 1));
}

TEST_F(PtyPort, SecondOpenIsRefusedUntilTheFirstPortIsGone) {
    const OpenedPort again = openSystemSerialPort(pty.slavePath());
    EXPECT_FALSE(again.port);
    EXPECT_NE(again.error.find(pty.slavePath()), std::string::npos) << again.error;
    EXPECT_NE(again.error.find("in use"), std::string::npos) << again.error;

    // Another process is kept out too, even one running as root.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const OpenedPort other = openSystemSerialPort(pty.slavePath());
        ::_exit(other.port ? 1 : other.error.find("in use") != std::string::npos ? 0 : 2);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: the child opened the port; 2: it failed for another reason";

    port.reset();
    OpenedPort reopened = openSystemSerialPort(pty.slavePath());
    EXPECT_TRUE(reopened.port) << reopened.error;
}

TEST_F(PtyPort, TheLockIsHeldByTheDescriptorNotByTheProcess) {
    // A child forked while the port is open shares its descriptor; the port
    // must still be free once the parent closes it, whether or not the child
    // has exited.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::usleep(1000 * 1000);
        ::_exit(0);
    }
    port.reset();
    OpenedPort reopened = openSystemSerialPort(pty.slavePath());
    EXPECT_TRUE(reopened.port) << reopened.error;
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
}

class TempPath {
public:
    TempPath() {
        char name[] = "/tmp/varnok-port-XXXXXX";
        const int fd = ::mkstemp(name);
        if (fd >= 0)
            ::close(fd);
        path_ = name;
    }
    ~TempPath() { std::remove(path_.c_str()); }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

TEST(OpenSerialPort, RefusalsNameTheDeviceAndTheReason) {
    TempPath file;
    struct Case {
        std::string device;
        const char* reason;
    };
    const Case cases[] = {
        {"/dev/varnok-no-such-tty", "no such device"},
        {file.path(), "not a serial port"},
        {"/tmp", "not a serial port"},
    };
    for (const Case& c : cases) {
        const OpenedPort opened = openSystemSerialPort(c.device);
        EXPECT_FALSE(opened.port) << c.device;
        EXPECT_NE(opened.error.find(c.device), std::string::npos) << opened.error;
        EXPECT_NE(opened.error.find(c.reason), std::string::npos) << opened.error;
        EXPECT_EQ(opened.error.find('\n'), std::string::npos) << "not one line: " << opened.error;
    }
}

} // namespace
} // namespace varnok
