#include "commands.h"

#include "app/strings.h"
#include "document.h"
#include "form_json.h"
#include "text.h"

#include <algorithm>
#include <iostream>
#include <sstream>
#include <vector>

namespace varnok::cli {
namespace {

using app::strings::kSettingLabels;
constexpr const char* kNoSelection = "(none)";
/// An empty cell is shown as a dash so that the columns stay readable.
constexpr const char* kEmptyCell = "-";
constexpr const char* kGap = "  ";

std::string withoutTrailingBlanks(std::string line) {
    line.erase(line.find_last_not_of(' ') + 1);
    return line;
}

void printSettings(const FormState& form, std::ostream& out) {
    std::size_t labelWidth = 0;
    for (const text::Text* label : kSettingLabels)
        labelWidth = std::max(labelWidth, displayWidth(text::tr(*label)));
    for (std::size_t i = 0; i < kAllSettings.size(); ++i) {
        const std::string selected = form.selectedText(kAllSettings[i]);
        out << padRight(text::tr(*kSettingLabels[i]), labelWidth) << kGap
            << (selected.empty() ? kNoSelection : text::shown(selected)) << '\n';
    }
}

void printChannels(const FormState& form, std::ostream& out) {
    std::vector<std::vector<std::string>> rows;
    for (int r = 0; r <= layout::kChannelCount; ++r) {
        std::vector<std::string> row;
        for (int c = 0; c < column::kCount; ++c) {
            const std::string& held = r == 0 ? columnHeaders()[static_cast<std::size_t>(c)] : form.cell(r, c);
            row.push_back(held.empty() ? kEmptyCell : text::shown(held));
        }
        rows.push_back(std::move(row));
    }
    std::vector<std::size_t> widths(column::kCount, 0);
    for (const auto& row : rows)
        for (std::size_t c = 0; c < row.size(); ++c)
            widths[c] = std::max(widths[c], displayWidth(row[c]));
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t c = 0; c < row.size(); ++c)
            line += padRight(row[c], widths[c]) + kGap;
        out << withoutTrailingBlanks(line) << '\n';
    }
}

} // namespace

void runShow(const ShowOptions& options) {
    const Document doc = openDocument(options.file);
    std::ostringstream out;
    if (options.json) {
        // Decoded texts come from fixed tables and number formatting, so
        // they are UTF-8; replacing rather than throwing keeps even a
        // future slip from ending the output half-way.
        out << formToJson(doc.form).dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
    } else {
        printSettings(doc.form, out);
        out << '\n';
        printChannels(doc.form, out);
    }
    // main checks that it reached standard output.
    std::cout << out.str();
}

} // namespace varnok::cli
