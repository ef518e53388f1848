// How a subcommand reports failure to main, which owns the exit status and
// the "varnok-cli: " prefix of every error line.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace varnok::cli {

/// Exit statuses; scripts rely on them, so they never change meaning.
enum ExitStatus : int {
    kExitOk = 0,
    kExitFailed = 1,   ///< an operation failed (file input or output)
    kExitBadInput = 2, ///< bad usage, or input that was refused
    kExitCancelled = 3, ///< a transfer was cancelled, or abandoned at the retry question
    /// `diff` found differences: an answer, not a failure, like diff(1).
    kExitDifferent = 1,
};

/// Thrown by a subcommand; every line goes to stderr as one error line.
struct CommandError {
    int status;
    std::vector<std::string> lines;

    CommandError(int status_, std::string line) : status(status_), lines{std::move(line)} {}
    CommandError(int status_, std::vector<std::string> lines_) : status(status_), lines(std::move(lines_)) {}
};

} // namespace varnok::cli
