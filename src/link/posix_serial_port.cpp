// Serial line on POSIX systems: a terminal device set raw at 9600 8N1. The
// line's time-outs are kept with poll() and a monotonic clock, because termios
// counts in tenths of a second and cannot express a 50 ms gap between bytes.
#include "link/serial_port.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace varnok {
namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::milliseconds;

constexpr short kGone = POLLHUP | POLLERR | POLLNVAL;

// Rounded up, so that poll() never wakes just before the deadline and the
// caller does not spin through a string of zero-length waits.
int msUntil(Clock::time_point deadline) {
    const auto left = deadline - Clock::now();
    if (left <= Clock::duration::zero())
        return 0;
    return static_cast<int>(std::chrono::ceil<Ms>(left).count());
}

// The poll() result events, 0 when the deadline passed first, -1 on failure.
int waitFor(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        pollfd p{fd, events, 0};
        const int ready = ::poll(&p, 1, msUntil(deadline));
        if (ready > 0)
            return p.revents;
        if (ready == 0)
            return 0;
        if (errno != EINTR)
            return -1;
    }
}

bool isTryAgain(int error) { return error == EAGAIN || error == EWOULDBLOCK || error == EINTR; }

class PosixSerialPort final : public SerialPort {
public:
    explicit PosixSerialPort(int fd) : fd_(fd) {}
    PosixSerialPort(const PosixSerialPort&) = delete;
    PosixSerialPort& operator=(const PosixSerialPort&) = delete;

    ~PosixSerialPort() override {
        // Unlocking explicitly matters when a forked child still holds a copy
        // of the descriptor: closing ours alone would leave the port locked.
        // The exclusive flag belongs to the device, not to the descriptor, so
        // it is cleared too, for whoever opens the port next.
        ::ioctl(fd_, TIOCNXCL);
        ::flock(fd_, LOCK_UN);
        ::close(fd_);
    }

    bool purge(PurgeKind kind) override {
        // Here a write returns once its bytes are queued, not once they are
        // sent; flushing output on a plain clear would throw away the tail of
        // the last request before it reached the radio.
        const int queue = kind == PurgeKind::Clear ? TCIFLUSH : TCIOFLUSH;
        for (;;) {
            if (::tcflush(fd_, queue) == 0)
                return true;
            if (errno != EINTR)
                return false;
        }
    }

    bool write(const std::uint8_t* data, std::size_t count) override {
        const auto deadline = Clock::now() + Ms(portTiming::writeTotalMs(count));
        std::size_t sent = 0;
        while (sent < count) {
            const ssize_t done = ::write(fd_, data + sent, count - sent);
            if (done > 0) {
                sent += static_cast<std::size_t>(done);
                continue;
            }
            if (done < 0 && errno == EINTR)
                continue;
            if (done < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
                return false;
            if (Clock::now() >= deadline)
                return false;
            const int events = waitFor(fd_, POLLOUT, deadline);
            if (events < 0 || (events & kGone))
                return false;
        }
        return true;
    }

    bool read(std::uint8_t* buffer, std::size_t count, std::size_t& received) override {
        received = 0;
        const auto total = Clock::now() + Ms(portTiming::readTotalMs(count));
        // Until the first byte only the total time-out runs; the gap is then
        // measured from the last byte, as with Windows' ReadIntervalTimeout,
        // whose behaviour the transfer protocol was tuned against.
        auto deadline = total;
        while (received < count) {
            const int events = waitFor(fd_, POLLIN, deadline);
            if (events < 0)
                return false;
            if (events & POLLIN) {
                const ssize_t got = ::read(fd_, buffer + received, count - received);
                if (got > 0) {
                    received += static_cast<std::size_t>(got);
                    deadline = std::min(total, Clock::now() + Ms(portTiming::kReadIntervalMs));
                    continue;
                }
                if (got < 0 && !isTryAgain(errno))
                    return false;
            }
            // A terminal in raw mode with VMIN 0 reads 0 bytes both when
            // nothing is there and after a hang-up; only poll() tells them
            // apart. A vanished adapter or a closed pseudo-terminal ends here.
            if (events & kGone)
                return false;
            if (Clock::now() >= deadline)
                break;
        }
        return true;
    }

private:
    int fd_;
};

// Closes the descriptor unless ownership was handed on.
class FdGuard {
public:
    explicit FdGuard(int fd) : fd_(fd) {}
    FdGuard(const FdGuard&) = delete;
    FdGuard& operator=(const FdGuard&) = delete;
    ~FdGuard() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

std::string groupName(gid_t gid) {
    std::vector<char> scratch(4096);
    for (;;) {
        group entry{};
        group* found = nullptr;
        const int error = ::getgrgid_r(gid, &entry, scratch.data(), scratch.size(), &found);
        if (error == ERANGE && scratch.size() < (1u << 20)) {
            scratch.resize(scratch.size() * 2);
            continue;
        }
        return error == 0 && found ? std::string(found->gr_name) : std::string();
    }
}

// Serial devices are usually open to one group ("dialout" on most Linux
// systems); naming it tells the user the one thing that fixes a refusal.
// Root's group is no advice to give.
std::string deviceGroup(const std::string& device) {
    struct stat info {};
    if (::stat(device.c_str(), &info) == 0 && info.st_gid != 0)
        return groupName(info.st_gid);
    return "";
}

std::string permissionHint(const std::string& device) {
    const std::string group = deviceGroup(device);
    return group.empty() ? "" : "; add your user to the group \"" + group + "\" and log in again";
}

// The programs that have `device` open, by name, found among the
// descriptors in /proc that this user may read; empty when none is seen.
// ModemManager and brltty are the usual ones: they probe USB serial adapters
// as they appear.
std::string holderOf(const std::string& device) {
#ifdef __linux__
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path target = fs::canonical(device, ec);
    if (ec)
        return "";
    std::set<std::string> names;
    for (fs::directory_iterator process("/proc", ec), end; !ec && process != end; process.increment(ec)) {
        std::error_code fdError; // entries that are not processes have no fd folder
        for (fs::directory_iterator fd(process->path() / "fd", fdError); !fdError && fd != end; fd.increment(fdError)) {
            std::error_code linkError; // an unreadable link reads as an empty path
            if (fs::read_symlink(fd->path(), linkError) != target)
                continue;
            // The command line's first word names the program in full; the
            // kernel's own name for it stops after 15 characters.
            std::string name;
            std::getline(std::ifstream(process->path() / "cmdline"), name, '\0');
            name = fs::path(name).filename().string();
            if (name.empty())
                std::getline(std::ifstream(process->path() / "comm"), name);
            if (!name.empty())
                names.insert(name);
            break;
        }
    }
    std::string list;
    for (const std::string& name : names)
        list += (list.empty() ? "" : "、") + name;
    return list;
#else
    (void)device;
    return "";
#endif
}

std::string openFailure(const std::string& device, int error) {
    const std::string prefix = "cannot open " + device + ": ";
    switch (error) {
    case ENOENT:
        return prefix + "no such device (is the cable plugged in?)";
    case EACCES:
    case EPERM:
        return prefix + "permission denied" + permissionHint(device);
    case EBUSY:
        return prefix + "it is in use by another program";
    case ENOTTY:
    case EISDIR:
        return prefix + "not a serial port";
    case ENXIO:
    case ENODEV:
    case EIO:
        return prefix + "no serial hardware answers at this device";
    default:
        return prefix + std::strerror(error);
    }
}

// Fills in what the user is told about a failed open.
void refuse(OpenedPort& opened, const std::string& device, int error) {
    opened.error = openFailure(device, error);
    switch (error) {
    case ENOENT:
        opened.failure = OpenFailure::Missing;
        break;
    case EACCES:
    case EPERM:
        opened.failure = OpenFailure::NoPermission;
        opened.group = deviceGroup(device);
        break;
    case EBUSY:
        opened.failure = OpenFailure::Busy;
        opened.holder = holderOf(device);
        break;
    default:
        opened.failure = OpenFailure::Other;
    }
}

void makeRaw9600(termios& tio) {
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, B9600);
    ::cfsetospeed(&tio, B9600);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | INPCK);
    // Reads never block in the kernel; poll() keeps the time.
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
}

} // namespace

OpenedPort openSystemSerialPort(const std::string& device) {
    OpenedPort opened;
    int fd;
    do
        fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        refuse(opened, device, errno);
        return opened;
    }
    FdGuard guard(fd);

    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) {
        refuse(opened, device, errno == EINVAL ? ENOTTY : errno);
        return opened;
    }
    // A flock belongs to the open file description, so it keeps out a second
    // open in this process and other programs even when they run as root,
    // where TIOCEXCL does not apply. It is taken before the line is touched,
    // so that a refused open leaves the holder's settings alone. A file
    // system without flock support leaves TIOCEXCL as the only guard.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        ::close(guard.release()); // so that our own open is not taken for the holder
        refuse(opened, device, EBUSY);
        return opened;
    }
    ::ioctl(fd, TIOCEXCL);

    makeRaw9600(tio);
    int set;
    do
        set = ::tcsetattr(fd, TCSANOW, &tio);
    while (set != 0 && errno == EINTR);
    if (set != 0) {
        opened.error = "cannot set " + device + " to 9600 baud, 8N1: " + std::strerror(errno);
        opened.failure = OpenFailure::Other;
        return opened;
    }
    opened.port = std::make_unique<PosixSerialPort>(guard.release());
    return opened;
}

} // namespace varnok
