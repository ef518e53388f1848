// varnok-cli: creates, shows and builds channel files without the window.
// This file only parses the command line and dispatches; the subcommands
// live in cmd_*.cpp.
#include "cli_error.h"
#include "commands.h"
#include "text.h"

#include "app/language.h"

#include <CLI/CLI.hpp>

#include <cstdlib>
#include <exception>
#include <iostream>
#include <new>

namespace {

constexpr const char* kFooter = "Exit status: 0 success, 1 a file or a transfer failed, 2 bad usage or input, "
                                "3 a transfer was cancelled or abandoned; diff: 0 equal, 1 different.";

int fail(int status, const std::string& line) {
    std::cerr << "varnok-cli: " << varnok::cli::oneLine(line) << '\n';
    return status;
}

/// Output lost to a full disk or a closed descriptor must not pass for a
/// success: scripts take exit status 0 as "the listing is complete". A
/// status that answers a question (`diff`'s "different") counts as one.
int withOutputChecked(int status, bool answer = false) {
    std::cout.flush();
    if ((status == varnok::cli::kExitOk || answer) && !std::cout)
        return fail(varnok::cli::kExitFailed, "cannot write to standard output");
    return status;
}

} // namespace

int main(int argc, char** argv) {
    using namespace varnok::cli;

    CLI::App app{"Channel files (.sin) of the QX-100, QX-200 and QX-300 radios.", "varnok-cli"};
    app.footer(kFooter);
    app.set_version_flag("--version", VARNOK_VERSION);
    app.require_subcommand(1);
    // Given before or after the command, as users put it.
    app.fallthrough();
    std::string language;
    app.add_option("--lang", language,
                   "Language of the messages: zh (Chinese) or en (English); by default the one LC_ALL, LC_MESSAGES "
                   "or LANG names, else Chinese")
        ->check(CLI::IsMember({"zh", "en"}));

    NewOptions newOptions;
    CLI::App* newCommand = app.add_subcommand("new", "Write the channel file of a new document.");
    newCommand->add_option("-o,--output", newOptions.output, "Channel file to write")->required();

    ShowOptions showOptions;
    CLI::App* showCommand = app.add_subcommand("show", "Show a channel file as the window shows it after opening.");
    showCommand->add_option("file", showOptions.file, "Channel file to read")->required();
    showCommand->add_flag("--json", showOptions.json, "Print the settings and channels as JSON");

    BuildOptions buildOptions;
    CLI::App* buildCommand =
        app.add_subcommand("build", "Apply a JSON form (as `show --json` prints it) to a base and save the result.");
    buildCommand->add_option("form", buildOptions.form, "JSON file with the settings and channels to set")->required();
    buildCommand->add_option("--base", buildOptions.base, "Channel file to start from (default: a new document)");
    buildCommand->add_option("-o,--output", buildOptions.output, "Channel file to write")->required();
    buildCommand->add_flag("--raw", buildOptions.raw, "Set cells exactly as given, without the entry checks");

    const std::string portHelp = "Port: COM1 to COM4, a device path, or \"demo\" for the built-in demo radio";
    const std::string retriesHelp =
        "When not at a terminal, answer the retry question Retry this many times, then Cancel";

    ReadOptions readOptions;
    CLI::App* readCommand = app.add_subcommand("read", "Read the radio's memory into a channel file.");
    readCommand->add_option("--port", readOptions.port, portHelp)->required();
    readCommand->add_option("-o,--output", readOptions.output, "Channel file to write")->required();
    readCommand->add_option("--retries", readOptions.retries, retriesHelp)->check(CLI::NonNegativeNumber);
    readCommand->add_flag("!--no-backup", readOptions.backup, "Do not keep a copy in the backup folder");

    WriteOptions writeOptions;
    CLI::App* writeCommand = app.add_subcommand("write", "Write a channel file to the radio, as the window does.");
    writeCommand->add_option("--port", writeOptions.port, portHelp)->required();
    writeCommand->add_option("file", writeOptions.file, "Channel file to send")->required();
    writeCommand->add_flag("--verify", writeOptions.verify, "Read the radio back and compare what was sent");
    writeCommand->add_option("--retries", writeOptions.retries, retriesHelp)->check(CLI::NonNegativeNumber);

    CloneOptions cloneOptions;
    CLI::App* cloneCommand = app.add_subcommand(
        "clone", "Write one channel file into radio after radio, each connected when asked (Enter); with no "
                 "terminal, --count radios back to back.");
    cloneCommand->add_option("--port", cloneOptions.port, portHelp)->required();
    cloneCommand->add_option("file", cloneOptions.file, "Channel file to send to every radio")->required();
    cloneCommand->add_option("--count", cloneOptions.count, "Stop after this many radios")->check(CLI::PositiveNumber);
    cloneCommand->add_flag("--verify", cloneOptions.verify, "Read each radio back and compare what was sent");
    cloneCommand->add_flag("--backup-first", cloneOptions.backupFirst,
                           "Read each radio into the backup folder before writing it");
    cloneCommand->add_option("--log", cloneOptions.log, "CSV file to append one line per radio to");
    cloneCommand->add_option("--retries", cloneOptions.retries, retriesHelp)->check(CLI::NonNegativeNumber);
    ExportOptions exportOptions;
    CLI::App* exportCommand =
        app.add_subcommand("export", "Write the channels of a channel file as CSV, as other radio programmers read it.");
    exportCommand->add_option("file", exportOptions.file, "Channel file to read")->required();
    exportCommand->add_option("-o,--output", exportOptions.output, "CSV file to write (- for standard output)")
        ->required();

    ImportOptions importOptions;
    CLI::App* importCommand = app.add_subcommand(
        "import", "Apply the channels of a CSV file to a base, with the entry checks a user's typing gets, and save.");
    importCommand->add_option("csv", importOptions.csv, "CSV file to read (- for standard input)")->required();
    importCommand->add_option("--base", importOptions.base, "Channel file to start from (default: a new document)");
    importCommand->add_option("-o,--output", importOptions.output, "Channel file to write")->required();
    importCommand->add_flag("--skip-bad", importOptions.skipBad,
                            "Import the rows that pass and list the refused ones, instead of refusing the file");

    DiffOptions diffOptions;
    CLI::App* diffCommand = app.add_subcommand(
        "diff", "List the differences between two channel files; exit status 0 when equal, 1 when different.");
    diffCommand->add_option("first", diffOptions.first, "Channel file A")->required();
    diffCommand->add_option("second", diffOptions.second, "Channel file B")->required();
    diffCommand->add_flag("--json", diffOptions.json, "Print the differences as a JSON array");

    CLI::App* portsCommand = app.add_subcommand("ports", "List the serial ports of this machine.");

#ifdef VARNOK_WITH_REPORT
    ReportOptions reportOptions;
    CLI::App* reportCommand =
        app.add_subcommand("report", "Write the printed settings report of a channel file as a PDF (A4).");
    reportCommand->add_option("file", reportOptions.file, "Channel file to read")->required();
    reportCommand->add_option("-o,--output", reportOptions.output, "PDF file to write")->required();
#endif

    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& e) { // --help, --version
        return withOutputChecked(app.exit(e));
    } catch (const CLI::ParseError& e) {
        return fail(kExitBadInput, e.what());
    }

    std::string locale =
        varnok::app::environmentLocale(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
#ifdef _WIN32
    // Windows names the user's language in its settings, not in the
    // environment.
    if (locale.empty())
        locale = varnok::app::userInterfaceLocale();
#endif
    varnok::text::Language chosen = varnok::text::Language::Chinese;
    varnok::text::languageOfLocale(locale, chosen);
    varnok::text::languageOfCode(language, chosen);
    varnok::text::setLanguage(chosen);

    try {
        if (*newCommand)
            runNew(newOptions);
        else if (*showCommand)
            runShow(showOptions);
        else if (*buildCommand)
            runBuild(buildOptions);
        else if (*readCommand)
            runRead(readOptions);
        else if (*writeCommand)
            runWrite(writeOptions);
        else if (*cloneCommand)
            runClone(cloneOptions);
        else if (*exportCommand)
            runExport(exportOptions);
        else if (*importCommand)
            runImport(importOptions);
        else if (*diffCommand)
            return withOutputChecked(runDiff(diffOptions), true);
        else if (*portsCommand)
            runPorts();
#ifdef VARNOK_WITH_REPORT
        else if (*reportCommand)
            runReport(reportOptions);
#endif
        return withOutputChecked(kExitOk);
    } catch (const CommandError& e) {
        for (const std::string& line : e.lines)
            fail(e.status, line);
        return e.status;
    } catch (const std::bad_alloc&) {
        return fail(kExitFailed, "out of memory");
    } catch (const std::exception& e) {
        return fail(kExitFailed, std::string("unexpected failure: ") + e.what());
    }
}
