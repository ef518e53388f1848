// read and write: one transfer each, through the port the user names.
#include "cli_error.h"
#include "commands.h"
#include "document.h"
#include "transfer_ui.h"

#include "image/sinfile.h"
#include "link/diagnosis.h"
#include "link/ports.h"

#include <cstdio>
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
    // The transfer has already said what went wrong; a cancel says so here,
    // and Ctrl+C at the retry question is a cancel too.
    std::vector<std::string> lines;
    if (outcome == TransferOutcome::Cancelled || (outcome == TransferOutcome::Abandoned && interrupted))
        lines.push_back("cancelled");
    else if (outcome == TransferOutcome::Abandoned)
        lines.push_back("abandoned: the radio did not answer");
    // Before the blocks the radio's memory is untouched; after the first one
    // went out, an unfinished write has left part of the new data behind.
    if (direction == Direction::Write && blocksStarted)
        lines.push_back("the write did not finish: the radio may hold part of the new data; write again");
    throw CommandError(exitStatusFor(outcome), lines);
}

} // namespace

void runRead(const ReadOptions& options) {
    // A file that cannot be saved is refused before the radio is read, not
    // after the whole transfer.
    if (const auto error = checkSaveTarget(options.output))
        throw CommandError(kExitFailed, error->message);
    RadioImage image;
    transfer(options.port, Direction::Read, image, options.retries);
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

    RadioImage radio;
    transfer(options.port, Direction::Read, radio, options.retries);
    std::vector<std::string> differences;
    for (std::size_t off = 0; off < layout::kWriteEnd; ++off) {
        if (radio[off] != doc.image[off]) {
            char line[96];
            std::snprintf(line, sizeof line, "verify: offset %zu (0x%03zX): sent %02X, radio holds %02X", off, off,
                          doc.image[off], radio[off]);
            differences.emplace_back(line);
        }
    }
    if (!differences.empty())
        throw CommandError(kExitFailed, differences);
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
