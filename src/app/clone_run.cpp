#include "app/clone_run.h"

#include "app/csv_exchange.h"
#include "app/sha256.h"
#include "app/strings.h"
#include "app/text.h"
#include "image/sinfile.h"

#include <fstream>
#include <system_error>

namespace varnok::app {
namespace fs = std::filesystem;

namespace {

const char* outcomeKey(CloneOutcome outcome) {
    switch (outcome) {
    case CloneOutcome::Written:
        return "written";
    case CloneOutcome::Verified:
        return "verified";
    case CloneOutcome::Failed:
        return "failed";
    case CloneOutcome::VerifyFailed:
        return "verify-failed";
    case CloneOutcome::Cancelled:
        return "cancelled";
    }
    return "failed";
}

constexpr const char* kLogHeader = "time,port,radio,outcome,differences,master_sha256\n";

} // namespace

std::vector<Difference> verifyDifferences(const RadioImage& sent, const RadioImage& readBack) {
    return compareImages(sent, readBack, layout::kWriteEnd);
}

std::string verifyReport(const std::vector<Difference>& differences, std::size_t shown) {
    std::string text = arg(strings::kVerifyDifferent, std::to_string(differences.size()));
    for (std::size_t i = 0; i < differences.size() && i < shown; ++i)
        text += "\n" + differences[i].line();
    if (differences.size() > shown)
        text += "\n" + arg(strings::kVerifyMore, std::to_string(differences.size() - shown));
    return text;
}

CloneRun::CloneRun(const RadioImage& master, std::string port, bool verify, std::string log)
    : m_master(master), m_port(std::move(port)), m_verify(verify), m_log(std::move(log)),
      m_hash(sha256Hex(master.bytes().data(), layout::kWriteEnd)) {}

std::string CloneRun::tally() const {
    return arg(arg(strings::kCloneTally, std::to_string(m_done)), std::to_string(m_failed), "%2");
}

std::string CloneRun::connectPrompt(bool enterKey) const {
    return arg(enterKey ? strings::kCloneConnectEnter : strings::kCloneConnect, std::to_string(next()));
}

std::optional<std::string> CloneRun::checkLog() const {
    if (m_log.empty())
        return std::nullopt;
    // The log is appended to, so an existing file must be one that takes
    // it; a new one only needs a folder that takes a file.
    if (const auto error = checkSaveTarget(fsPath(m_log)))
        return error->message;
    return std::nullopt;
}

std::optional<std::string> CloneRun::record(CloneOutcome outcome, std::size_t differences, std::time_t when) {
    const int radio = next();
    if (outcome == CloneOutcome::Written || outcome == CloneOutcome::Verified)
        ++m_done;
    else
        ++m_failed;
    if (m_log.empty())
        return std::nullopt;

    const std::string stamp = localTime(when, "%Y-%m-%d %H:%M:%S");

    std::error_code ec;
    const bool fresh = !fs::exists(fsPath(m_log), ec) || fs::file_size(fsPath(m_log), ec) == 0;
    std::ofstream out(fsPath(m_log), std::ios::binary | std::ios::app);
    if (fresh)
        out << kLogHeader;
    out << stamp << ',' << csvField(m_port) << ',' << radio << ',' << outcomeKey(outcome) << ',' << differences << ','
        << m_hash << '\n';
    out.flush();
    if (!out)
        return arg(strings::kCloneLogFailed, nativePath(m_log));
    return std::nullopt;
}

std::string CloneRun::failureText(int radio, CloneOutcome outcome) const {
    const char* pattern = outcome == CloneOutcome::VerifyFailed ? strings::kCloneVerifyFailed
                          : outcome == CloneOutcome::Cancelled  ? strings::kCloneCancelled
                                                                : strings::kCloneWriteFailed;
    return arg(pattern, std::to_string(radio)) + "\n" + tally();
}

} // namespace varnok::app
