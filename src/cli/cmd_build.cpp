#include "commands.h"

#include "cli_error.h"
#include "document.h"
#include "form_edit.h"
#include "form_json.h"

namespace varnok::cli {

void runBuild(const BuildOptions& options) {
    const std::string text = readTextInput(options.form);
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
