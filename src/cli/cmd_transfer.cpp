// read and write: one transfer each, through the port the user names.
#include "cli_error.h"
#include "commands.h"
#include "document.h"
#include "transfer_ui.h"

#include "app/backups.h"
#include "app/strings.h"
#include "app/clone_run.h"
#include "app/text.h"
#include "image/sinfile.h"
#include "link/diagnosis.h"
#include "link/ports.h"

#include <iostream>

namespace varnok::cli {
namespace {

std::unique_ptr<SerialPort> open(const std::string& name) {
    OpenedPort opened = openPort(name);
    if (!opened.port)
        throw CommandError(kExitFailed, {transferText::kCannotOpenPort, diagnoseOpen(name, opened)});
    return std::move(opened.port);
}

/// Runs one transfer; throws with the transfer's exit status unless complete.
void transfer(const std::string& port, Direction direction, RadioImage& image, int retries) {
    TransferOutcome outcome;
    bool interrupted = false;
    bool blocksStarted = false;
    {
        TerminalTransferUi ui(retries);
        outcome = runTransfer(open(port), direction, image, ui);
        interrupted = ui.interrupted();
        blocksStarted = ui.blocksStarted();
    }
    if (outcome == TransferOutcome::Complete)
        return;
    // Ctrl+C at the retry question ends the transfer as abandoned.
    if (outcome == TransferOutcome::Abandoned && interrupted)
        outcome = TransferOutcome::Cancelled;
    // The transfer has already said what went wrong; a cancel says so here,
    // and Ctrl+C at the retry question is a cancel too.
    std::vector<std::string> lines;
    if (outcome == TransferOutcome::Cancelled)
        lines.push_back(text::tr(text::kCliCancelled));
    else if (outcome == TransferOutcome::Abandoned)
        lines.push_back(text::tr(text::kCliAbandoned));
    // Before the blocks the radio's memory is untouched; after the first one
    // went out, an unfinished write has left part of the new data behind.
    if (direction == Direction::Write && blocksStarted)
        lines.push_back(text::tr(text::kWriteIncomplete));
    throw CommandError(exitStatusFor(outcome), lines);
}

/// Reads the radio back: what differs from what was sent; empty when the
/// radio holds exactly what was written.
std::vector<app::Difference> verifyAfterWrite(const std::string& port, const RadioImage& sent, int retries) {
    RadioImage radio;
    transfer(port, Direction::Read, radio, retries);
    return app::verifyDifferences(sent, radio);
}

/// The differences in the form's terms, a line each.
std::vector<std::string> verifyLines(const std::vector<app::Difference>& differences) {
    std::vector<std::string> lines{app::arg(app::strings::kVerifyDifferent, std::to_string(differences.size()))};
    for (const app::Difference& difference : differences)
        lines.push_back("verify: " + difference.line());
    return lines;
}

void splitLines(const std::string& text, std::vector<std::string>& lines) {
    std::size_t from = 0;
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', from)) {
        lines.push_back(text.substr(from, at - from));
        from = at + 1;
    }
    lines.push_back(text.substr(from));
}

/// A backup that cannot be made is told, and the read goes on.
void backUp(const RadioImage& image) {
    const app::Backup backup = app::storeBackup(image, app::defaultBackupFolder());
    if (backup.ok())
        std::cerr << "backup: " << app::nativePath(backup.path) << '\n';
    else
        std::cerr << "varnok-cli: " << text::arg(text::kCliBackupFailed, backup.error) << '\n';
}

} // namespace

void runRead(const ReadOptions& options) {
    // A file that cannot be saved is refused before the radio is read, not
    // after the whole transfer.
    if (const auto error = checkSaveTarget(options.output))
        throw CommandError(kExitFailed, error->message);
    RadioImage image;
    transfer(options.port, Direction::Read, image, options.retries);
    if (options.backup)
        backUp(image);
    // Only a complete read reaches this point, so no partial file is written.
    if (const auto error = saveChannelFile(options.output, image))
        throw CommandError(kExitFailed, error->message);
}

void runWrite(const WriteOptions& options) {
    // What the window sends after opening the file and choosing Write.
    Document doc = openDocument(options.file);
    encodeForm(doc.form, doc.image);
    transfer(options.port, Direction::Write, doc.image, options.retries);
    if (!options.verify)
        return;

    const std::vector<app::Difference> differences = verifyAfterWrite(options.port, doc.image, options.retries);
    if (!differences.empty())
        throw CommandError(kExitFailed, verifyLines(differences));
}

void runClone(const CloneOptions& options) {
    Document doc = openDocument(options.file);
    encodeForm(doc.form, doc.image);
    app::CloneRun run(doc.image, options.port, options.verify, options.log);
    if (const auto error = run.checkLog())
        throw CommandError(kExitFailed, *error);
    // With no one at a terminal to say a radio is connected, the radios
    // come back to back, as many as asked.
    const bool interactive = atTerminal();
    const int count = options.count > 0 ? options.count : (interactive ? 0 : 1);
    while (count == 0 || run.next() <= count) {
        if (interactive) {
            std::string answer;
            if (!askAtTerminal(run.connectPrompt(true), answer) || answer == "q" || answer == "Q")
                break;
        }
        app::CloneOutcome outcome = options.verify ? app::CloneOutcome::Verified : app::CloneOutcome::Written;
        std::vector<std::string> lines;
        std::vector<app::Difference> differences;
        int status = kExitFailed;
        try {
            if (options.backupFirst) {
                RadioImage before;
                transfer(options.port, Direction::Read, before, options.retries);
                backUp(before);
            }
            RadioImage sent = run.master();
            transfer(options.port, Direction::Write, sent, options.retries);
            if (options.verify) {
                differences = verifyAfterWrite(options.port, run.master(), options.retries);
                if (!differences.empty()) {
                    outcome = app::CloneOutcome::VerifyFailed;
                    lines = verifyLines(differences);
                }
            }
        } catch (const CommandError& e) {
            status = e.status;
            outcome = status == kExitCancelled ? app::CloneOutcome::Cancelled : app::CloneOutcome::Failed;
            lines = e.lines;
        }
        const int radio = run.next();
        if (const auto logError = run.record(outcome, differences.size()))
            std::cerr << "varnok-cli: " << *logError << '\n';
        if (outcome == app::CloneOutcome::Written || outcome == app::CloneOutcome::Verified) {
            std::cerr << run.tally() << '\n';
            continue;
        }
        splitLines(run.failureText(radio, outcome), lines);
        throw CommandError(status, lines);
    }
    std::cerr << app::arg(app::strings::kCloneEnded, run.tally()) << '\n';
}

void runPorts() {
    for (const PortInfo& port : availablePorts()) {
        std::cout << port.name;
        if (!port.description.empty())
            std::cout << '\t' << port.description;
        std::cout << '\n';
    }
}

} // namespace varnok::cli
