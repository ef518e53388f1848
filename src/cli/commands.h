// The subcommands. Each throws CommandError on failure and prints nothing
// but its requested output on success.
#pragma once

#include <string>

namespace varnok::cli {

struct NewOptions {
    std::string output;
};
void runNew(const NewOptions& options);

struct ShowOptions {
    std::string file;
    bool json = false;
};
void runShow(const ShowOptions& options);

struct BuildOptions {
    std::string form;
    std::string base; ///< empty: start from a new document
    std::string output;
    bool raw = false;
};
void runBuild(const BuildOptions& options);

struct ReadOptions {
    std::string port;
    std::string output;
    int retries = 0; ///< Retry answers to the retry question when not at a terminal
    bool backup = true;
};
void runRead(const ReadOptions& options);

struct WriteOptions {
    std::string port;
    std::string file;
    bool verify = false;
    int retries = 0;
};
void runWrite(const WriteOptions& options);

struct CloneOptions {
    std::string port;
    std::string file;
    int count = 0; ///< 0: until the user stops at the terminal (1 without one)
    bool verify = false;
    bool backupFirst = false;
    std::string log;
    int retries = 0;
};
void runClone(const CloneOptions& options);

struct ExportOptions {
    std::string file;
    std::string output; ///< "-": standard output
};
void runExport(const ExportOptions& options);

struct ImportOptions {
    std::string csv;
    std::string base; ///< empty: start from a new document
    std::string output;
    bool skipBad = false; ///< import the rows that pass, listing the others
};
void runImport(const ImportOptions& options);

struct DiffOptions {
    std::string first;
    std::string second;
    bool json = false;
};
/// Returns kExitOk when the files show no difference, kExitDifferent when
/// they do; a file that cannot be compared throws.
int runDiff(const DiffOptions& options);

void runPorts();

/// Only in builds with Qt (VARNOK_WITH_REPORT).
struct ReportOptions {
    std::string file;
    std::string output;
};
void runReport(const ReportOptions& options);

} // namespace varnok::cli
