#include "commands.h"

#include "app/csv_exchange.h"
#include "app/differences.h"
#include "app/text.h"
#include "cli_error.h"
#include "document.h"

#include <nlohmann/json.hpp>

#include <iostream>

namespace varnok::cli {

void runExport(const ExportOptions& options) {
    const Document doc = openDocument(options.file);
    const std::string csv = app::exportCsv(doc.form);
    if (options.output == "-") {
        std::cout << csv;
        return;
    }
    if (const auto error = saveFileContent(app::fsPath(options.output), csv))
        throw CommandError(kExitFailed, error->message);
}

void runImport(const ImportOptions& options) {
    const std::string text = readTextInput(options.csv);
    Document doc = options.base.empty() ? newDocument() : openDocument(options.base);
    const app::RowImport import = app::importCsv(text, doc.form.selection(Setting::Band));
    std::vector<std::string> refusals;
    for (const app::RowRefusal& refusal : import.refusals)
        refusals.push_back(refusal.text());
    // Without a header nothing could be read, whatever --skip-bad says.
    if (!refusals.empty() && (!options.skipBad || !import.readable))
        throw CommandError(kExitBadInput, refusals);
    for (const std::string& line : refusals)
        std::cerr << "varnok-cli: " << text::arg(text::kCliSkipped, line) << '\n';
    if (!import.notice.empty())
        std::cerr << "varnok-cli: " << import.notice << '\n';
    app::applyImport(doc.form, import);
    saveDocument(doc, options.output);
}

namespace {

RadioImage loadForDiff(const std::string& path) {
    RadioImage image;
    // Exit 1 means "different" here, so every file that cannot be compared
    // is bad input.
    if (const auto error = loadChannelFile(app::fsPath(path), image))
        throw CommandError(kExitBadInput, error->message);
    return image;
}

nlohmann::ordered_json differenceJson(const app::Difference& d) {
    nlohmann::ordered_json out;
    switch (d.kind) {
    case app::Difference::Kind::Cell:
        out["kind"] = "cell";
        out["channel"] = d.channel;
        out["column"] = columnKeys()[static_cast<std::size_t>(d.column)];
        break;
    case app::Difference::Kind::Setting:
        out["kind"] = "setting";
        out["setting"] = settingKey(d.setting);
        break;
    case app::Difference::Kind::Bytes:
        out["kind"] = "bytes";
        out["first"] = d.first;
        out["last"] = d.last;
        break;
    }
    out["before"] = d.before;
    out["after"] = d.after;
    out["line"] = d.line();
    return out;
}

} // namespace

int runDiff(const DiffOptions& options) {
    const RadioImage a = loadForDiff(options.first);
    const RadioImage b = loadForDiff(options.second);
    const std::vector<app::Difference> differences = app::compareImages(a, b);
    if (options.json) {
        nlohmann::ordered_json list = nlohmann::ordered_json::array();
        for (const app::Difference& d : differences)
            list.push_back(differenceJson(d));
        std::cout << list.dump(2) << '\n';
    } else {
        for (const app::Difference& d : differences)
            std::cout << d.line() << '\n';
    }
    return differences.empty() ? kExitOk : kExitDifferent;
}

} // namespace varnok::cli
