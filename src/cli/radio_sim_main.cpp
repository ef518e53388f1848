// varnok-radio-sim: the demo radio behind a pseudo-terminal. Prints the
// device to open on its first line of output, then answers the line until
// interrupted or until an injected hang-up.
#include "image/sinfile.h"
#include "link/pty_radio.h"

#include <CLI/CLI.hpp>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <iostream>

namespace {

std::atomic<bool> g_stop{false};

extern "C" void onSignal(int) { g_stop = true; }

int fail(const std::string& line) {
    std::cerr << "varnok-radio-sim: " << line << '\n';
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    using namespace varnok;
    CLI::App app{"A QX radio on a pseudo-terminal, for trying and testing transfers without a cable.",
                 "varnok-radio-sim"};
    std::string memoryFile, saveFile, faultList, linkPath;
    bool unpaced = false;
    app.add_option("--memory", memoryFile, "Channel file the radio's memory starts from (default: a sample radio)");
    app.add_option("--save", saveFile, "Write the radio's memory to this file when the simulator stops");
    app.add_option("--faults", faultList,
                   "Misbehaviour: silent, stray=N, refuse-confirm, short=BLOCK[:LEN[:TIMES]], nak-read=BLOCK, "
                   "nak-write=BLOCK, corrupt-write=BLOCK, hangup=BLOCKS (comma-separated)");
    app.add_option("--link", linkPath, "Also make this path a symbolic link to the device");
    app.add_flag("--unpaced", unpaced, "Answer at once instead of at the pace of a 9600-baud line");
    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        return fail(e.what());
    }

    RadioImage memory = DemoRadio::sampleMemory();
    if (!memoryFile.empty())
        if (const auto error = loadChannelFile(memoryFile, memory))
            return fail(error->message);
    RadioFaults faults;
    std::string error;
    if (!parseRadioFaults(faultList, faults, error))
        return fail(error);

    auto radio = std::make_shared<DemoRadio>(memory, faults);
    std::unique_ptr<PtyRadio> pty = PtyRadio::create(radio, !unpaced, error);
    if (!pty)
        return fail(error);
    if (!linkPath.empty()) {
        std::error_code ec;
        std::filesystem::remove(linkPath, ec);
        std::filesystem::create_symlink(pty->devicePath(), linkPath, ec);
        if (ec)
            return fail("cannot link " + linkPath + ": " + ec.message());
    }
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    std::cout << pty->devicePath() << std::endl;

    const bool ok = pty->serve(g_stop);
    pty.reset();
    if (!saveFile.empty())
        if (const auto saveError = saveChannelFile(saveFile, radio->memory()))
            return fail(saveError->message);
    return ok ? 0 : 1;
}
