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
#include <sys/select.h>
#include <unistd.h>

#include <cerrno>
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

/// Reads the answer to the retry question; false at the end of the input
/// or on Ctrl+C. A Ctrl+C that came after the last look at the flag but
/// before a blocking read began would be lost, so POSIX blocks the signals,
/// looks, and waits with pselect, which lets them in only while it waits.
bool readAnswer(std::string& answer) {
#ifdef _WIN32
    return std::getline(std::cin, answer) && !g_interrupted;
#else
    sigset_t blocked, before;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGINT);
    sigaddset(&blocked, SIGTERM);
    sigprocmask(SIG_BLOCK, &blocked, &before);
    int ready = 0;
    while (!g_interrupted) {
        fd_set input;
        FD_ZERO(&input);
        FD_SET(STDIN_FILENO, &input);
        ready = pselect(STDIN_FILENO + 1, &input, nullptr, nullptr, nullptr, &before);
        if (ready > 0 || (ready < 0 && errno != EINTR))
            break;
    }
    sigprocmask(SIG_SETMASK, &before, nullptr);
    if (g_interrupted || ready < 0)
        return false;
    // A terminal hands over a whole line at a time; reading it straight from
    // the descriptor leaves nothing in a buffer that pselect cannot see.
    char line[256];
    ssize_t got = -1;
    do
        got = ::read(STDIN_FILENO, line, sizeof line);
    while (got < 0 && errno == EINTR && !g_interrupted);
    if (got <= 0 || g_interrupted)
        return false;
    answer.assign(line, static_cast<std::size_t>(got));
    while (!answer.empty() && (answer.back() == '\n' || answer.back() == '\r'))
        answer.pop_back();
    return true;
#endif
}

} // namespace

TerminalTransferUi::TerminalTransferUi(int retries)
    : m_retriesLeft(retries), m_interactive(atTerminal()) {
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
        std::cerr << text::tr(text::kCliRetrying) << '\n';
        return true;
    }
    for (;;) {
        std::cerr << text::tr(text::kCliRetryQuestion) << std::flush;
        std::string answer;
        if (!readAnswer(answer)) {
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
    // The radio's text and the line that explains it: each an error line.
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        std::cerr << "varnok-cli: " << text.substr(start, end - start) << '\n';
    std::cerr << "varnok-cli: " << text.substr(start) << '\n';
}

bool atTerminal() { return isTerminal(stdin) && isTerminal(stderr); }

bool askAtTerminal(const std::string& prompt, std::string& answer) {
    g_interrupted = 0;
    handleInterrupts(onInterrupt);
    std::cerr << prompt << std::flush;
    const bool answered = readAnswer(answer);
    handleInterrupts(SIG_DFL);
    if (!answered)
        std::cerr << '\n';
    return answered;
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
