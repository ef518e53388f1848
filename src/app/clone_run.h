// A clone run: one master image written into radio after radio, as a
// dealer programs a box of them. The run keeps the tally, writes the log
// line of each radio and words what the user is told; the transfers
// themselves belong to whoever drives the run (the window's worker, the
// command line's loop).
#pragma once

#include "app/differences.h"
#include "image/image.h"

#include <ctime>
#include <optional>
#include <string>
#include <vector>

namespace varnok::app {

/// What a verify compares: the bytes a write sends, nothing after them.
std::vector<Difference> verifyDifferences(const RadioImage& sent, const RadioImage& readBack);

/// The message after a verify that found differences: their count, then a
/// line each (the first `shown` of them, then how many more).
std::string verifyReport(const std::vector<Difference>& differences, std::size_t shown = 20);

/// How one radio of a run ended.
enum class CloneOutcome { Written, Verified, Failed, VerifyFailed, Cancelled };

class CloneRun {
public:
    /// `log` empty: no log. The log is a CSV file appended to, its header
    /// written when it is new or empty.
    CloneRun(const RadioImage& master, std::string port, bool verify, std::string log);

    const RadioImage& master() const { return m_master; }
    bool verify() const { return m_verify; }
    const std::string& log() const { return m_log; }
    /// The master's SHA-256 over the bytes a write sends.
    const std::string& masterHash() const { return m_hash; }
    /// The radio the run asks for next, from 1.
    int next() const { return m_done + m_failed + 1; }
    int done() const { return m_done; }
    int failed() const { return m_failed; }
    /// "已完成 7 台，失败 0 台"
    std::string tally() const;
    /// "请连接第 3 台对讲机，然后按“开始”。" (or Enter, for the command line)
    std::string connectPrompt(bool enterKey) const;

    /// Refuses a log that cannot be appended to, before the first radio.
    std::optional<std::string> checkLog() const;
    /// Counts radio next() and appends its log line; an error names why the
    /// log could not be written (the radio still counts).
    std::optional<std::string> record(CloneOutcome outcome, std::size_t differences,
                                      std::time_t when = std::time(nullptr));
    /// What the user is told when a radio stops the run.
    std::string failureText(int radio, CloneOutcome outcome) const;

private:
    RadioImage m_master;
    std::string m_port;
    bool m_verify;
    std::string m_log;
    std::string m_hash;
    int m_done = 0;
    int m_failed = 0;
};

} // namespace varnok::app
