#include "transfer_ui.h"

#include "cli_error.h"

#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

namespace varnok::cli {
namespace {

volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void onInterrupt(int) { g_interrupted = 1; }

/// Ctrl+C must end the wait for an answer at the retry question. glibc's
/// signal() restarts the read behind it, so POSIX installs the handler
/// without SA_RESTART and the read fails with EINTR. The serial port code
/// already retries its own calls on EINTR. Windows has no sigaction; its
/// console read is not restarted that way.
void handleInterrupts(void (*handler)(int)) {
#ifdef _WIN32
    std::signal(SIGINT, handler);
    std::signal(SIGTERM, handler);
#else
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
#endif
}

bool isTerminal(std::FILE* f) { return isatty(fileno(f)) != 0; }

} // namespace

TerminalTransferUi::TerminalTransferUi(int retries)
    : m_retriesLeft(retries), m_interactive(isTerminal(stdin) && isTerminal(stderr)) {
    g_interrupted = 0;
    handleInterrupts(onInterrupt);
}

TerminalTransferUi::~TerminalTransferUi() {
    endProgressLine();
    handleInterrupts(SIG_DFL);
}

void TerminalTransferUi::endProgressLine() {
    if (m_progressShown) {
        std::cerr << '\n';
        m_progressShown = false;
    }
}

void TerminalTransferUi::setStatus(const std::string& text) {
    // Each handshake attempt sets the same text again; once is enough here.
    if (text == m_lastStatus)
        return;
    m_lastStatus = text;
    endProgressLine();
    std::cerr << text << '\n';
}

void TerminalTransferUi::blockDone(int done, int total) {
    if (!isTerminal(stderr))
        return;
    constexpr int kWidth = 40;
    const int filled = done * kWidth / total;
    std::cerr << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
              << std::string(static_cast<std::size_t>(kWidth - filled), '.') << "] " << done << '/' << total
              << std::flush;
    m_progressShown = true;
}

bool TerminalTransferUi::cancelRequested() { return g_interrupted != 0; }

bool TerminalTransferUi::interrupted() const { return g_interrupted != 0; }

bool TerminalTransferUi::askRetry(const std::string& text) {
    endProgressLine();
    std::cerr << text << '\n';
    if (g_interrupted)
        return false;
    if (!m_interactive) {
        if (m_retriesLeft <= 0)
            return false;
        --m_retriesLeft;
        std::cerr << "retrying\n";
        return true;
    }
    for (;;) {
        std::cerr << "[R]etry or [C]ancel? " << std::flush;
        std::string answer;
        if (!std::getline(std::cin, answer) || g_interrupted) {
            std::cerr << '\n'; // what follows starts a line of its own after "^C"
            return false;
        }
        if (answer == "r" || answer == "R" || answer == "retry")
            return true;
        if (answer == "c" || answer == "C" || answer == "cancel")
            return false;
    }
}

void TerminalTransferUi::report(const std::string& text) {
    endProgressLine();
    std::cerr << "varnok-cli: " << text << '\n';
}

int exitStatusFor(TransferOutcome outcome) {
    switch (outcome) {
    case TransferOutcome::Complete:
        return kExitOk;
    case TransferOutcome::Failed:
        return kExitFailed;
    case TransferOutcome::Cancelled:
    case TransferOutcome::Abandoned:
        return kExitCancelled;
    }
    return kExitFailed;
}

} // namespace varnok::cli
