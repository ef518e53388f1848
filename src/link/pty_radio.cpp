#include "link/pty_radio.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace varnok {
namespace {

using SteadyClock = std::chrono::steady_clock;

void makeRaw(int fd) {
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0)
        return;
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, B9600);
    ::cfsetospeed(&tio, B9600);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    ::tcsetattr(fd, TCSANOW, &tio);
}

} // namespace

std::unique_ptr<PtyRadio> PtyRadio::create(std::shared_ptr<DemoRadio> radio, bool paced, std::string& error) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        error = std::string("cannot open a pseudo-terminal: ") + std::strerror(errno);
        if (master >= 0)
            ::close(master);
        return nullptr;
    }
    const char* name = ::ptsname(master);
    const std::string path = name ? name : "";
    const int slave = path.empty() ? -1 : ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0) {
        error = "cannot open the pseudo-terminal's device: " + std::string(std::strerror(errno));
        ::close(master);
        return nullptr;
    }
    makeRaw(slave);
    makeRaw(master);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    return std::unique_ptr<PtyRadio>(new PtyRadio(std::move(radio), paced, master, slave, path));
}

PtyRadio::PtyRadio(std::shared_ptr<DemoRadio> radio, bool paced, int master, int slave, std::string path)
    : m_radio(std::move(radio)), m_paced(paced), m_master(master), m_slave(slave), m_path(std::move(path)) {}

PtyRadio::~PtyRadio() { hangUp(); }

void PtyRadio::hangUp() {
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
    m_slave = m_master = -1;
}

bool PtyRadio::serve(const std::atomic<bool>& stop) {
    const auto byteTime =
        m_paced ? std::chrono::duration_cast<SteadyClock::duration>(kByteTime9600) : SteadyClock::duration::zero();
    struct Outgoing {
        std::uint8_t byte;
        SteadyClock::time_point due;
    };
    std::deque<Outgoing> outgoing;
    SteadyClock::time_point inputFreeAt{}, outputFreeAt{};

    while (!stop.load()) {
        if (m_radio->hungUp() && outgoing.empty()) {
            // Give the last answer time to be read, then drop the line.
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            hangUp();
            return true;
        }
        const auto now = SteadyClock::now();
        int timeoutMs = 20;
        if (!outgoing.empty()) {
            const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(outgoing.front().due - now);
            timeoutMs = static_cast<int>(std::max<long long>(0, std::min<long long>(wait.count(), 20)));
        }
        pollfd pfd{m_master, POLLIN, 0};
        const int ready = ::poll(&pfd, 1, timeoutMs);
        if (ready < 0 && errno != EINTR)
            return false;
        if (ready > 0 && (pfd.revents & POLLIN)) {
            std::uint8_t buffer[256];
            const ssize_t n = ::read(m_master, buffer, sizeof buffer);
            if (n < 0 && errno != EAGAIN && errno != EINTR && errno != EIO)
                return false;
            const auto received = SteadyClock::now();
            // Bytes reach the radio one line-time apart; each answer starts
            // once the byte that caused it is in and follows the previous one.
            for (ssize_t i = 0; i < n; ++i) {
                inputFreeAt = std::max(inputFreeAt, received) + byteTime;
                for (std::uint8_t out : m_radio->receive(&buffer[i], 1)) {
                    outputFreeAt = std::max(outputFreeAt, inputFreeAt) + byteTime;
                    outgoing.push_back(Outgoing{out, outputFreeAt});
                }
            }
        }
        // Send what is due, busy-waiting the last fraction of a millisecond
        // so the pace holds at a byte per 1.04 ms.
        while (!outgoing.empty()) {
            const auto due = outgoing.front().due;
            const auto left = due - SteadyClock::now();
            if (left > std::chrono::milliseconds(2))
                break;
            if (left > SteadyClock::duration::zero())
                std::this_thread::sleep_until(due);
            const std::uint8_t byte = outgoing.front().byte;
            if (::write(m_master, &byte, 1) != 1) {
                if (errno == EAGAIN || errno == EINTR)
                    break; // the line's buffer is full: try again next turn
                return false;
            }
            outgoing.pop_front();
        }
    }
    return true;
}

} // namespace varnok
