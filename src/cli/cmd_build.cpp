#include "commands.h"

#include "cli_error.h"
#include "document.h"
#include "form_edit.h"
#include "form_json.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>

namespace varnok::cli {
namespace {

std::string readTextFile(const std::string& path) {
    if (path == "-") {
        std::string text{std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>()};
        if (std::cin.bad())
            throw CommandError(kExitFailed, "cannot read standard input");
        return text;
    }
    const std::string name = "\"" + path + "\"";
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        throw CommandError(kExitFailed, "cannot read " + name + ": it is a folder");
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw CommandError(kExitFailed, "cannot open " + name + ": " + std::strerror(errno));
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad())
        throw CommandError(kExitFailed, "cannot read " + name);
    return text;
}

} // namespace

void runBuild(const BuildOptions& options) {
    const std::string text = readTextFile(options.form);
    const std::string formName = options.form == "-" ? "standard input" : "\"" + options.form + "\"";
    FormPatch patch;
    try {
        patch = parseFormPatch(text);
    } catch (const BadInput& e) {
        throw CommandError(kExitBadInput, formName + ": " + e.what());
    }

    Document doc = options.base.empty() ? newDocument() : openDocument(options.base);
    std::vector<std::string> problems;
    try {
        problems = applyFormPatch(patch, doc, options.raw);
    } catch (const BadInput& e) {
        throw CommandError(kExitBadInput, formName + ": " + e.what());
    }
    if (!problems.empty())
        throw CommandError(kExitBadInput, problems);
    saveDocument(doc, options.output);
}

} // namespace varnok::cli
