#include "form_edit.h"

#include "editor/entry_rules.h"
#include "image/tones.h"
#include "text.h"

#include <algorithm>
#include <map>
#include <utility>

namespace varnok::cli {
namespace {

std::string joined(const std::vector<std::string>& items, const char* separator) {
    std::string out;
    for (const std::string& item : items)
        out += (out.empty() ? "" : separator) + item;
    return out;
}

/// The model decides the band list and the band the frequency range, so no
/// selection there would switch the range check off and keep whatever band
/// the file held. It passes only where the box has none already, as `show
/// --json` prints for a file whose band byte names no band.
void selectBox(FormState& form, Setting s, int index) {
    if (index < 0 && form.selection(s) >= 0 && (s == Setting::Model || s == Setting::Band))
        throw BadInput("settings." + std::string(settingKey(s)) + ": a selection is needed, one of " +
                       joined(settingEntries(s), ", "));
    form.select(s, index);
}

/// Settings go in as a user picks them in the boxes. Picking another model
/// resets the band and rewrites the auxiliary records, so it runs first and
/// only for a real change; a band given alongside then survives it.
void applySettings(const FormPatch& patch, Document& doc) {
    const auto& model = patch.setting(Setting::Model);
    if (model && *model != doc.form.selection(Setting::Model)) {
        selectBox(doc.form, Setting::Model, *model);
        applyModelChange(doc.form, doc.image);
    }
    for (Setting s : kAllSettings)
        if (s != Setting::Model && patch.setting(s))
            selectBox(doc.form, s, *patch.setting(s));
}

/// --raw: cells take the texts as they stand, as if the grid were written
/// directly; the encoding converts whatever it finds.
void applyRaw(const FormPatch& patch, FormState& form) {
    for (const FormPatch::Channel& channel : patch.channels)
        for (int col = column::kRxFrequency; col < column::kCount; ++col)
            if (const auto& text = channel.cells[static_cast<std::size_t>(col)])
                form.cell(channel.number, col) = *text;
}

/// The checked edit: each changed cell goes through the rule its editor
/// applies in the window. A text equal to the base's cell is no change and
/// is skipped, so the JSON that `show` prints is always accepted as is.
class CheckedEdit {
public:
    CheckedEdit(const FormState& base, FormState& form) : m_base(base), m_form(form) {}

    void apply(const FormPatch::Channel& channel) {
        const int row = channel.number;
        // Frequencies first: a first frequency brings the row defaults that
        // the channel's other columns then override.
        for (int col : {column::kRxFrequency, column::kTxFrequency}) {
            const auto& text = channel.cells[static_cast<std::size_t>(col)];
            if (text && *text != m_base.cell(row, col))
                enterFrequency(row, col, *text);
        }
        for (int col = column::kDecodeTone; col < column::kCount; ++col) {
            const auto& text = channel.cells[static_cast<std::size_t>(col)];
            if (text && *text != m_base.cell(row, col))
                enterChoice(row, col, *text);
        }
    }

    /// The row rule, once every frequency is in place: a tone or list value
    /// needs a frequency in its row, and a row with a frequency needs them
    /// all. Only cells this edit changed are judged; whatever the base held
    /// or the frequency write left is the window's own state.
    std::vector<std::string> finish() {
        for (const auto& [cell, text] : m_entered) {
            const auto [row, col] = cell;
            const std::string& now = m_form.cell(row, col);
            if (m_problems.count(cell) != 0 || now == m_base.cell(row, col))
                continue;
            const bool hasFrequency = rowHasFrequency(m_form, row);
            if (!now.empty() && !hasFrequency)
                refuse(row, col, text, "no frequency in this row");
            else if (now.empty() && hasFrequency)
                refuse(row, col, text, "empty in a row with a frequency");
        }
        std::vector<std::string> lines;
        for (const auto& [cell, line] : m_problems)
            lines.push_back(line);
        return lines;
    }

private:
    using Cell = std::pair<int, int>;

    void enterFrequency(int row, int col, const std::string& text) {
        std::string committed;
        if (!text.empty()) {
            const FrequencyCheck check = checkFrequencyEntry(text, CheckMode::Leave, m_form.selection(Setting::Band));
            if (check.outcome != FrequencyCheck::Outcome::Accepted) {
                std::vector<std::string> messages;
                for (EntryMessage m : check.messages)
                    messages.emplace_back(entryMessageText(m));
                refuse(row, col, text, joined(messages, "; "));
                return;
            }
            committed = check.text;
        }
        writeFrequency(m_form, row, col, committed);
    }

    void enterChoice(int row, int col, const std::string& text) {
        // An empty text is decided by the row rule at the end.
        std::string value = text;
        if (!text.empty() && (col == column::kDecodeTone || col == column::kEncodeTone)) {
            if (findTone(text) < 0) {
                refuse(row, col, text, "not a tone name");
                return;
            }
            value = normalizeToneName(text);
        } else if (!text.empty()) {
            const auto& entries = columnEntries(col);
            if (std::find(entries.begin(), entries.end(), text) == entries.end()) {
                refuse(row, col, text, "not one of " + joined(entries, ", "));
                return;
            }
        }
        m_form.cell(row, col) = value;
        m_entered[{row, col}] = text;
    }

    void refuse(int row, int col, const std::string& text, const std::string& why) {
        // One line per cell: the first problem found is the one to fix.
        m_problems.emplace(Cell{row, col}, "channel " + std::to_string(row) + ", " +
                                               columnKeys()[static_cast<std::size_t>(col)] + ": " + quoteValue(text) +
                                               ": " + why);
    }

    const FormState& m_base;
    FormState& m_form;
    std::map<Cell, std::string> m_problems; ///< ordered by channel, then column
    std::map<Cell, std::string> m_entered;  ///< tone and list cells set from the JSON, with the given text
};

} // namespace

std::vector<std::string> applyFormPatch(const FormPatch& patch, Document& doc, bool raw) {
    const FormState base = doc.form;
    applySettings(patch, doc);
    if (raw) {
        applyRaw(patch, doc.form);
        return {};
    }
    CheckedEdit edit(base, doc.form);
    for (const FormPatch::Channel& channel : patch.channels)
        edit.apply(channel);
    return edit.finish();
}

} // namespace varnok::cli
