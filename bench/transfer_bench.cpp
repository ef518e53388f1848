// Reads and writes the paced demo radio over a pseudo-terminal with the real
// serial port code and prints how close each transfer comes to the time the
// protocol's own pauses and the 9600-baud line allow.
#include "image/defaults.h"
#include "link/pty_radio.h"
#include "link/transfer.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <thread>

using namespace varnok;

namespace {

struct Quiet : TransferHooks {
    void setStatus(const std::string&) override {}
    void blockDone(int, int) override {}
    bool cancelRequested() override { return false; }
    bool askRetry(const std::string&) override { return false; }
    void report(const std::string& text) override { std::fprintf(stderr, "transfer: %s\n", text.c_str()); }
};

double threadCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

// What the protocol itself spends: its sleeps and paused yield steps, the
// confirmation's one read that waits out its time-out, and every byte at
// 10 bits per 9600 baud.
double floorSeconds(Direction direction) {
    const double byte = 10.0 / 9600.0;
    double ms = 12 + 1 + 550 + 16 + 1;    // handshake pauses, confirmation
    double bytes = 8 + 1 + 1 + 8 + 1 + 1; // handshake, ack, follow-up, ident, confirmation
    if (direction == Direction::Read) {
        ms += wire::kReadBlocks * (15 + 20);
        bytes += wire::kReadBlocks * (4 + 12 + 1 + 1);
    } else {
        // The 1 ms pause before the data passes while the request is still
        // on the line, so only the 2 ms after the acknowledgement adds up.
        ms += wire::kWriteBlocks * 2;
        bytes += wire::kWriteBlocks * (4 + 8 + 1);
    }
    return ms / 1000.0 + bytes * byte;
}

bool measure(Direction direction, const char* name) {
    auto radio = std::make_shared<DemoRadio>();
    std::string error;
    auto pty = PtyRadio::create(radio, true, error);
    if (!pty) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return false;
    }
    std::atomic<bool> stop{false};
    std::thread server([&] { pty->serve(stop); });

    OpenedPort opened = openSystemSerialPort(pty->devicePath());
    if (!opened.port) {
        std::fprintf(stderr, "%s\n", opened.error.c_str());
        stop = true;
        server.join();
        return false;
    }
    RadioImage image = defaultImage(PresetSet::Uhf);
    Quiet quiet;
    const double cpuStart = threadCpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    const TransferOutcome outcome = runTransfer(std::move(opened.port), direction, image, quiet);
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double cpu = threadCpuSeconds() - cpuStart;
    stop = true;
    server.join();

    const double floor = floorSeconds(direction);
    std::printf("%-5s  outcome %-8s  wall %6.3f s  floor %6.3f s  ratio %5.3f  cpu %6.3f s (%4.1f%% of wall)\n", name,
                outcome == TransferOutcome::Complete ? "complete" : "FAILED", wall, floor, wall / floor, cpu,
                100.0 * cpu / wall);
    return outcome == TransferOutcome::Complete;
}

} // namespace

int main() {
    std::printf("transfer over a pseudo-terminal, demo radio paced at 9600 baud\n");
    const bool ok = measure(Direction::Read, "read") && measure(Direction::Write, "write");
    return ok ? 0 : 1;
}
