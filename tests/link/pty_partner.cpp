// varnok_pty_partner: the far end of a serial line for port tests that run
// where no pseudo-terminal can be opened from inside, such as the Windows port
// layer under Wine. It opens a pseudo-terminal, prints the device path on its
// first line of output and then obeys commands that the port under test sends
// over the line itself, so that the test decides what arrives and when.
//
// Commands (bytes from the port; counts are single bytes, times and larger
// counts two bytes with the high byte first):
//   R k             reset: drop scheduled bytes and unread input, answer 06 k
//   S n data        send the n data bytes now
//   D ms n data     send them ms milliseconds from now
//   T ms n data     send them one at a time, ms milliseconds apart
//   E n2 data       once all n2 data bytes have arrived, send them back
//   L               report the line settings (see lineReport)
//   Q               answer how many bytes wait to be read at the port (n2)
//   N               nothing, but count it
//   Z ms            read nothing from the line for ms milliseconds, as a
//                   far end that is busy elsewhere
//   C               answer the number of N since the last C or R (n2)
//   X               set the line to everything a port must not be, then send
//                   06 0A (a whole line, so that it shows in canonical mode)
//                   and ignore everything up to the next R
// Other bytes are ignored. A command left incomplete for a second is dropped,
// so a test that failed halfway cannot confuse the next one.
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <deque>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::milliseconds;

std::atomic<bool> g_stop{false};
extern "C" void onSignal(int) { g_stop = true; }

// The port layer keeps the flow control the system reports for a port. A
// Windows serial driver starts with none; a new pseudo-terminal starts with
// XON/XOFF, under which the 0x13 of an image would stop the line for good.
void noFlowControl(int slave) {
    termios tio{};
    if (::tcgetattr(slave, &tio) != 0)
        return;
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    tio.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
    ::tcsetattr(slave, TCSANOW, &tio);
    ::tcflow(slave, TCOON);
}

// Baud rate and stop bits wrong, and the line cooked: echo, line editing,
// CR/LF translation, high bit stripped. Flow control is left alone, because
// the port layer keeps whatever the system reports there. Character size and
// parity are not spoilt: Linux keeps a pseudo-terminal at 8 bits without
// parity whatever is asked of it.
void spoil(int slave) {
    termios tio{};
    if (::tcgetattr(slave, &tio) != 0)
        return;
    tio.c_iflag |= ICRNL | ISTRIP | INPCK;
    tio.c_oflag |= OPOST | ONLCR;
    tio.c_lflag |= ICANON | ECHO | ISIG | IEXTEN;
    tio.c_cflag |= CSTOPB;
    ::cfsetispeed(&tio, B38400);
    ::cfsetospeed(&tio, B38400);
    ::tcsetattr(slave, TCSANOW, &tio);
}

// 'L', then one byte per property, 1 when the line has it: 9600 baud both
// ways, one stop bit, no line editing or echo, no output processing, no
// input translation. (Character size and parity: see spoil.)
std::vector<std::uint8_t> lineReport(int slave) {
    termios tio{};
    if (::tcgetattr(slave, &tio) != 0)
        return {'L', 0, 0, 0, 0, 0};
    const auto yes = [](bool b) { return static_cast<std::uint8_t>(b ? 1 : 0); };
    return {
        'L',
        yes(::cfgetispeed(&tio) == B9600 && ::cfgetospeed(&tio) == B9600),
        yes((tio.c_cflag & CSTOPB) == 0),
        yes((tio.c_lflag & (ICANON | ECHO | ISIG | IEXTEN)) == 0),
        yes((tio.c_oflag & OPOST) == 0),
        yes((tio.c_iflag & (ICRNL | INLCR | IGNCR | ISTRIP)) == 0),
    };
}

struct Outgoing {
    std::uint8_t byte;
    Clock::time_point due;
};

class Partner {
public:
    Partner(int master, int slave) : m_master(master), m_slave(slave) {}

    void take(std::uint8_t byte) {
        m_lastInput = Clock::now();
        if (m_ignoring) {
            if (byte == 'R')
                m_ignoring = false;
            else
                return;
        }
        m_command.push_back(byte);
        if (complete())
            run();
    }

    /// False while the partner plays a far end that does not read.
    bool listening() const { return Clock::now() >= m_deafUntil; }

    void dropStaleCommand() {
        if (!m_command.empty() && Clock::now() - m_lastInput > std::chrono::seconds(1))
            m_command.clear();
    }

    /// Milliseconds until the next byte is due, at most `cap`.
    int msUntilDue(int cap) const {
        if (m_out.empty())
            return cap;
        const auto left = std::chrono::duration_cast<Ms>(m_out.front().due - Clock::now()).count();
        return static_cast<int>(std::clamp<long long>(left, 0, cap));
    }

    bool sendDue() {
        // All that is due goes in one write, so it reaches the port's input
        // queue at once: a test that has read the first byte of an answer
        // knows that the rest is waiting.
        std::vector<std::uint8_t> due;
        const auto now = Clock::now();
        for (const Outgoing& out : m_out) {
            if (out.due > now)
                break;
            due.push_back(out.byte);
        }
        if (due.empty())
            return true;
        const ssize_t n = ::write(m_master, due.data(), due.size());
        if (n < 0) {
            if (errno == EAGAIN || errno == EINTR)
                return true;
            std::perror("varnok_pty_partner: write");
            return false;
        }
        m_out.erase(m_out.begin(), m_out.begin() + n);
        return true;
    }

private:
    static std::size_t word(const std::vector<std::uint8_t>& c, std::size_t at) {
        return static_cast<std::size_t>(c[at]) << 8 | c[at + 1];
    }

    // True once m_command holds a whole command (or a byte that is none).
    bool complete() const {
        const auto& c = m_command;
        switch (c[0]) {
        case 'R':
            return c.size() == 2;
        case 'S':
            return c.size() >= 2 && c.size() == 2u + c[1];
        case 'D':
            return c.size() >= 4 && c.size() == 4u + c[3];
        case 'T':
            return c.size() >= 3 && c.size() == 3u + c[2];
        case 'E':
            return c.size() >= 3 && c.size() == 3u + word(c, 1);
        case 'Z':
            return c.size() == 3;
        default:
            return true;
        }
    }

    void schedule(const std::uint8_t* data, std::size_t count, Clock::time_point first, Ms apart) {
        for (std::size_t i = 0; i < count; ++i) {
            const Outgoing out{data[i], first + apart * static_cast<int>(i)};
            // Kept in due order; bytes due at the same time keep their order.
            const auto at = std::upper_bound(m_out.begin(), m_out.end(), out.due,
                                             [](Clock::time_point t, const Outgoing& o) { return t < o.due; });
            m_out.insert(at, out);
        }
    }

    void reply(std::vector<std::uint8_t> bytes) { schedule(bytes.data(), bytes.size(), Clock::now(), Ms(0)); }

    static std::vector<std::uint8_t> twoBytes(std::size_t value) {
        return {static_cast<std::uint8_t>(value >> 8 & 0xFF), static_cast<std::uint8_t>(value & 0xFF)};
    }

    void run() {
        const std::vector<std::uint8_t> c = std::move(m_command);
        m_command.clear();
        const auto now = Clock::now();
        switch (c[0]) {
        case 'R':
            m_out.clear();
            m_noOps = 0;
            ::tcflush(m_slave, TCIFLUSH);
            noFlowControl(m_slave);
            reply({0x06, c[1]});
            break;
        case 'S':
            schedule(c.data() + 2, c[1], now, Ms(0));
            break;
        case 'D':
            schedule(c.data() + 4, c[3], now + Ms(word(c, 1)), Ms(0));
            break;
        case 'T':
            schedule(c.data() + 3, c[2], now, Ms(c[1]));
            break;
        case 'E':
            schedule(c.data() + 3, c.size() - 3, now, Ms(0));
            break;
        case 'L':
            reply(lineReport(m_slave));
            break;
        case 'Q': {
            int waiting = 0;
            ::ioctl(m_slave, FIONREAD, &waiting);
            reply(twoBytes(static_cast<std::size_t>(std::max(waiting, 0))));
            break;
        }
        case 'N':
            ++m_noOps;
            break;
        case 'C':
            reply(twoBytes(m_noOps));
            m_noOps = 0;
            break;
        case 'Z':
            m_deafUntil = now + Ms(word(c, 1));
            break;
        case 'X':
            m_out.clear();
            spoil(m_slave);
            reply({0x06, 0x0A});
            m_ignoring = true;
            break;
        default:
            break;
        }
    }

    int m_master;
    int m_slave;
    std::vector<std::uint8_t> m_command;
    std::deque<Outgoing> m_out;
    Clock::time_point m_lastInput{};
    Clock::time_point m_deafUntil{};
    std::size_t m_noOps = 0;
    bool m_ignoring = false;
};

int usage() {
    std::fprintf(stderr, "usage: varnok_pty_partner [--link PATH]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    std::string link;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--link" && i + 1 < argc)
            link = argv[++i];
        else
            return usage();
    }

    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0 || !::ptsname(master)) {
        std::perror("varnok_pty_partner: pseudo-terminal");
        return 1;
    }
    const std::string path = ::ptsname(master);
    // Held open for the whole run: the line stays up between the test's
    // opens, and its settings and input queue can be looked at from here.
    const int slave = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave < 0) {
        std::perror("varnok_pty_partner: open slave");
        return 1;
    }
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    noFlowControl(slave);
    spoil(slave);

    if (!link.empty()) {
        ::unlink(link.c_str());
        if (::symlink(path.c_str(), link.c_str()) != 0) {
            std::perror(("varnok_pty_partner: link " + link).c_str());
            return 1;
        }
    }
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    std::printf("%s\n", path.c_str());
    std::fflush(stdout);

    Partner partner(master, slave);
    while (!g_stop) {
        // While deaf, bytes pile up unread on the master side.
        pollfd p{master, static_cast<short>(partner.listening() ? POLLIN : 0), 0};
        const int ready = ::poll(&p, 1, partner.msUntilDue(partner.listening() ? 20 : 2));
        if (ready < 0 && errno != EINTR) {
            std::perror("varnok_pty_partner: poll");
            return 1;
        }
        if (ready > 0 && (p.revents & POLLIN) && partner.listening()) {
            std::uint8_t buffer[512];
            const ssize_t n = ::read(master, buffer, sizeof buffer);
            for (ssize_t i = 0; i < n; ++i)
                partner.take(buffer[i]);
        }
        partner.dropStaleCommand();
        if (!partner.sendDue())
            return 1;
    }
    if (!link.empty())
        ::unlink(link.c_str());
    return 0;
}
