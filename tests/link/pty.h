// A pseudo-terminal pair standing in for a cable: the side under test opens
// the slave by its path, and the far end works on the master.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

namespace varnok::test {

struct Pty {
    Pty() : master(::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)) {
        if (master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0 && ::ptsname(master))
            path = ::ptsname(master);
        // Our own slave descriptor keeps the master readable after the side under test has closed.
        slave = path.empty() ? -1 : ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    }
    Pty(const Pty&) = delete;
    ~Pty() {
        ::close(slave);
        ::close(master);
    }
    bool ready() const { return slave >= 0; }
    const std::string& slavePath() const { return path; }

    /// What the slave side wrote, up to count bytes, waiting at most timeoutMs.
    std::vector<std::uint8_t> receive(std::size_t count, int timeoutMs = 2000) const {
        using namespace std::chrono;
        std::vector<std::uint8_t> got;
        const auto until = steady_clock::now() + milliseconds(timeoutMs);
        for (std::uint8_t byte = 0; got.size() < count; got.push_back(byte)) {
            pollfd p{master, POLLIN, 0};
            const auto left = duration_cast<milliseconds>(until - steady_clock::now()).count();
            if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0 || ::read(master, &byte, 1) != 1)
                break;
        }
        return got;
    }

    int master, slave;
    std::string path;
};

/// The far end in the serial port tests, until `stop`. It obeys what the
/// port under test sends, and drops a command left incomplete for a second:
///   S d g n data  send the n bytes, the first d x 10 ms from now and the
///                 others g ms apart; all that is due goes out in one write
///   E data        send back 256 bytes once all have come
inline void servePartner(const Pty& pty, const std::atomic<bool>& stop) {
    using Clock = std::chrono::steady_clock;
    std::vector<std::uint8_t> c, due; // the command coming in; what is due to go out
    std::vector<std::pair<std::uint8_t, Clock::time_point>> out;
    for (auto lastInput = Clock::now(); !stop; due.clear()) {
        pollfd p{pty.master, POLLIN, 0};
        std::uint8_t in[512];
        const ssize_t n = ::poll(&p, 1, 5) > 0 ? ::read(pty.master, in, sizeof in) : 0;
        const auto now = Clock::now();
        if (n <= 0 && now - lastInput > std::chrono::seconds(1))
            c.clear();
        for (ssize_t i = 0; i < n; ++i, lastInput = now) {
            c.push_back(in[i]);
            if (c.size() < (c[0] == 'S' ? (c.size() < 4 ? 4 : 4u + c[3]) : c[0] == 'E' ? 257 : 1))
                continue;
            for (std::size_t k = c[0] == 'S' ? 4 : 1; k < c.size(); ++k)
                out.emplace_back(c[k], now + std::chrono::milliseconds(c[0] == 'S' ? 10 * c[1] + c[2] * (k - 4) : 0));
            c.clear();
        }
        while (due.size() < out.size() && out[due.size()].second <= Clock::now())
            due.push_back(out[due.size()].first);
        const ssize_t sent = due.empty() ? 0 : ::write(pty.master, due.data(), due.size());
        out.erase(out.begin(), out.begin() + (sent > 0 ? sent : 0));
    }
}

} // namespace varnok::test
