// A transfer's user interface in a terminal: status and failures on stderr,
// a progress bar when stderr is a terminal, the retry question asked at the
// terminal or answered by --retries, and Ctrl+C as the Cancel button.
#pragma once

#include "link/transfer.h"

namespace varnok::cli {

class TerminalTransferUi : public TransferHooks {
public:
    /// `retries`: how often the retry question is answered Retry when no
    /// one is at a terminal to ask.
    explicit TerminalTransferUi(int retries);
    ~TerminalTransferUi() override;

    void setStatus(const std::string& text) override;
    void blockDone(int done, int total) override;
    bool cancelRequested() override;
    bool askRetry(const std::string& text) override;
    void report(const std::string& text) override;
    void blocksStarting() override { m_blocksStarted = true; }

    /// Ctrl+C (or SIGTERM) came during the transfer, perhaps at the retry
    /// question, which then ends the transfer as abandoned.
    bool interrupted() const;
    /// The first block went out.
    bool blocksStarted() const { return m_blocksStarted; }

private:
    void endProgressLine();

    int m_retriesLeft;
    bool m_interactive;
    bool m_progressShown = false;
    bool m_blocksStarted = false;
    std::string m_lastStatus;
};

/// Standard input and error are a terminal: someone is there to answer.
bool atTerminal();
/// Shows `prompt` on stderr and reads a line from the terminal; false at
/// the end of the input or on Ctrl+C.
bool askAtTerminal(const std::string& prompt, std::string& answer);

/// Exit status for a transfer outcome: 0 complete, 1 failed, 3 cancelled or
/// abandoned.
int exitStatusFor(TransferOutcome outcome);

} // namespace varnok::cli
