// A pseudo-terminal pair standing in for the programming cable: the port under
// test opens the slave side by its path, and the test plays the radio on the
// master side.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace varnok::test {

using Bytes = std::vector<std::uint8_t>;

class Pty {
public:
    Pty() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
            return;
        const char* name = ::ptsname(master_);
        if (!name)
            return;
        slavePath_ = name;
        // A slave descriptor of our own lets a test look at the line's
        // settings and input queue, and keeps the master readable after the
        // port under test has closed its side.
        watcher_ = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (watcher_ >= 0)
            spoilLineSettings();
    }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;
    ~Pty() {
        if (watcher_ >= 0)
            ::close(watcher_);
        closeMaster();
    }

    bool ready() const { return master_ >= 0 && watcher_ >= 0; }
    const std::string& slavePath() const { return slavePath_; }

    /// The line's settings as the port left them.
    termios lineSettings() const {
        termios tio{};
        EXPECT_EQ(::tcgetattr(watcher_, &tio), 0);
        return tio;
    }

    /// Bytes the radio side sent that wait to be read by the port.
    int waitingAtPort() const {
        int count = -1;
        EXPECT_EQ(::ioctl(watcher_, FIONREAD, &count), 0);
        return count;
    }

    /// Waits until at least count bytes wait at the port; they travel through
    /// a kernel work queue, so a loaded machine may take a moment.
    bool waitUntilWaitingAtPort(int count) const {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        while (waitingAtPort() < count) {
            if (std::chrono::steady_clock::now() > until)
                return false;
            ::usleep(2000);
        }
        return true;
    }

    void send(const Bytes& bytes) const {
        ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }

    /// What the port sent, up to count bytes, waiting at most timeoutMs.
    Bytes receive(std::size_t count, int timeoutMs = 2000) const {
        Bytes got;
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (got.size() < count) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                break;
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left.count())) <= 0)
                continue;
            std::uint8_t chunk[512];
            const ssize_t n = ::read(master_, chunk, std::min(sizeof(chunk), count - got.size()));
            if (n <= 0)
                break;
            got.insert(got.end(), chunk, chunk + n);
        }
        return got;
    }

    /// The radio side goes away: the slave side is hung up.
    void closeMaster() {
        if (master_ >= 0)
            ::close(master_);
        master_ = -1;
    }

private:
    // Linux applies termios calls made on the master to the slave, so there
    // is one set of settings for the pair and the master side reads raw as it
    // is. Starting from a line that is everything the port must not be, as
    // another program may have left a real one, shows that the port sets
    // each setting itself.
    void spoilLineSettings() const {
        termios tio{};
        ::tcgetattr(watcher_, &tio);
        tio.c_iflag |= ICRNL | IXON | IXOFF | ISTRIP | INPCK;
        tio.c_oflag |= OPOST | ONLCR;
        tio.c_lflag |= ICANON | ECHO | ISIG | IEXTEN;
        tio.c_cflag = (tio.c_cflag & ~static_cast<tcflag_t>(CSIZE | CLOCAL)) | CS7 | PARENB | CSTOPB | CRTSCTS;
        tio.c_cc[VMIN] = 4;
        tio.c_cc[VTIME] = 5;
        ::cfsetispeed(&tio, B38400);
        ::cfsetospeed(&tio, B38400);
        ::tcsetattr(watcher_, TCSANOW, &tio);
    }

    int master_ = -1;
    int watcher_ = -1;
    std::string slavePath_;
};

} // namespace varnok::test
