// varnok_pty_partner: the far end of the line (servePartner) for the Win32
// port's tests under Wine. It prints the path of a new pseudo-terminal, links
// --link PATH to it for Wine's COM port, and serves until it is stopped.
#include "link/pty.h"

#include <cstdio>

#include <termios.h>

int main(int argc, char** argv) {
    const varnok::test::Pty pty;
    if (argc == 3)
        ::unlink(argv[2]);
    if (!pty.ready() || (argc == 3 && ::symlink(pty.path.c_str(), argv[2]) != 0)) {
        std::perror("varnok_pty_partner");
        return 1;
    }
    // The Win32 port keeps the system's flow control; XON/XOFF would stop the line at an image's 0x13.
    termios tio{};
    ::tcgetattr(pty.slave, &tio);
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    ::tcsetattr(pty.slave, TCSANOW, &tio);
    std::printf("%s\n", pty.path.c_str());
    std::fflush(stdout);
    varnok::test::servePartner(pty, std::atomic<bool>{false});
}
