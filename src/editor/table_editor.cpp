#include "editor/table_editor.h"

#include "image/tones.h"

#include <cctype>

namespace varnok {
namespace {

/// The last channel's row: Enter in its lists leaves the table.
constexpr int kLastChannel = kTableRows - 1;

bool isDataCell(int row, int col) {
    return row >= 1 && row < kTableRows && col >= column::kRxFrequency && col < column::kCount;
}

bool isDigit(char32_t key) { return key >= U'0' && key <= U'9'; }

/// The first entry that begins with `text`, ignoring ASCII letter case, as a
/// list box's prefix search finds it; entry 0 when none does or the text is
/// empty.
int prefixSearch(const std::vector<std::string>& entries, const std::string& text) {
    if (text.empty())
        return 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::string& entry = entries[i];
        if (entry.size() < text.size())
            continue;
        bool same = true;
        for (std::size_t k = 0; k < text.size() && same; ++k)
            same =
                std::tolower(static_cast<unsigned char>(entry[k])) == std::tolower(static_cast<unsigned char>(text[k]));
        if (same)
            return static_cast<int>(i);
    }
    return 0;
}

/// UTF-8 of one character.
std::string utf8(char32_t c) {
    std::string out;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

} // namespace

CellEditor editorOfColumn(int col) {
    switch (col) {
    case column::kDecodeTone:
    case column::kEncodeTone:
        return CellEditor::Tone;
    case column::kBusyLock:
        return CellEditor::BusyLock;
    case column::kBandwidth:
        return CellEditor::Bandwidth;
    case column::kScan:
        return CellEditor::Scan;
    case column::kPower:
        return CellEditor::Power;
    default:
        return CellEditor::Text;
    }
}

const std::vector<std::string>& editorEntries(CellEditor editor) {
    static const std::vector<std::string> none;
    switch (editor) {
    case CellEditor::Tone:
        return toneTable();
    case CellEditor::BusyLock:
        return columnEntries(column::kBusyLock);
    case CellEditor::Bandwidth:
        return columnEntries(column::kBandwidth);
    case CellEditor::Scan:
        return columnEntries(column::kScan);
    case CellEditor::Power:
        return columnEntries(column::kPower);
    default:
        return none;
    }
}

bool isListEditor(CellEditor editor) {
    return editor == CellEditor::BusyLock || editor == CellEditor::Bandwidth || editor == CellEditor::Scan ||
           editor == CellEditor::Power;
}

TableEffects& TableEffects::operator+=(const TableEffects& later) {
    messages.insert(messages.end(), later.messages.begin(), later.messages.end());
    cellsChanged = cellsChanged || later.cellsChanged;
    currentChanged = currentChanged || later.currentChanged;
    editorChanged = editorChanged || later.editorChanged;
    if (later.focus != FocusMove::Stay)
        focus = later.focus;
    return *this;
}

TableEditor::TableEditor(FormState& form) : m_form(form) { m_toneText = toneTable().front(); }

int TableEditor::entry(CellEditor editor) const { return m_entries[static_cast<int>(editor)]; }

TableEffects TableEditor::moveTo(int row, int col) {
    if (!isDataCell(row, col) || (row == m_row && col == m_col))
        return {};
    TableEffects effects = leave();
    setCurrent(row, col);
    effects += load();
    effects.currentChanged = true;
    return effects;
}

TableEffects TableEditor::press(int row, int col, bool rightButton) {
    // A press on a header, a channel number or beside the table leaves the
    // current cell where it was and must not open that cell's editor.
    if (!isDataCell(row, col))
        return {};
    TableEffects effects = moveTo(row, col);
    if (!rightButton)
        effects += show(0);
    return effects;
}

TableEffects TableEditor::doubleClick(int row, int col) {
    if (!isDataCell(row, col))
        return {};
    TableEffects effects = moveTo(row, col);
    effects += show(0);
    return effects;
}

TableEffects TableEditor::typed(char32_t key) {
    if (!keyOpensEditor(key, m_row, m_col))
        return {};
    return show(key);
}

TableEffects TableEditor::enter() {
    // Each path closes its editor before it moves the current cell, so the
    // leave that the move makes finds nothing open to commit again.
    TableEffects effects;
    if (m_focus == FocusPlace::Editor && m_open == CellEditor::Text) {
        effects = enterInText();
    } else if (m_focus == FocusPlace::Editor && isListEditor(m_open)) {
        effects = enterInList();
    } else if (m_focus == FocusPlace::Grid) {
        if (m_col == column::kBandwidth)
            effects.focus = FocusMove::NextControl;
        else if (m_col + 1 < column::kCount)
            effects += moveTo(m_row, m_col + 1);
    } else {
        effects = enterElsewhere(); // anywhere else, the tone box's field included
    }
    if (effects.focus == FocusMove::NextControl)
        m_focus = FocusPlace::Elsewhere;
    return effects;
}

TableEffects TableEditor::enterInText() {
    TableEffects effects;
    if (m_col == column::kBandwidth) {
        effects.focus = FocusMove::NextControl;
        return effects;
    }
    const FrequencyCheck check = checkFrequencyEntry(m_text, CheckMode::Enter, m_form.selection(Setting::Band));
    effects.messages = check.messages;
    using Outcome = FrequencyCheck::Outcome;
    if (check.outcome == Outcome::RefusedRange || check.outcome == Outcome::RefusedStep) {
        // The cell keeps its text; the user tries again in place.
        m_text.clear();
        m_selected = false;
        effects.editorChanged = true;
        effects.focus = FocusMove::Editor;
        return effects;
    }
    writeFrequency(m_form, m_row, m_col, check.committedText());
    effects.cellsChanged = true;
    effects += close();
    effects += moveTo(m_row, m_col + 1);
    effects += show(13);
    return effects;
}

TableEffects TableEditor::enterInList() {
    TableEffects effects;
    // A row without a frequency keeps its cell as it was.
    if (rowHasFrequency(m_form, m_row)) {
        m_form.cell(m_row, m_col) = editorEntries(m_open)[static_cast<std::size_t>(entry(m_open))];
        effects.cellsChanged = true;
    }
    const bool power = m_open == CellEditor::Power;
    effects += close();
    if (m_row >= kLastChannel) {
        effects.focus = FocusMove::NextControl;
    } else if (power) {
        // On to the next channel's receive frequency.
        effects += moveTo(m_row + 1, column::kRxFrequency);
        effects += show(13);
    } else {
        effects += moveTo(m_row, m_col + 1);
        effects += show(13);
    }
    return effects;
}

TableEffects TableEditor::enterElsewhere() {
    TableEffects effects;
    if (m_open != CellEditor::Tone) {
        effects.focus = FocusMove::NextControl;
        return effects;
    }
    m_form.cell(m_row, m_col) = rowHasFrequency(m_form, m_row) ? normalizeToneName(m_toneText) : std::string();
    effects.cellsChanged = true;
    effects += close();
    effects += moveTo(m_row, m_col + 1);
    effects += show(13);
    return effects;
}

TableEffects TableEditor::commit() { return leave(); }

void TableEditor::edit(const std::string& text) {
    if (m_open == CellEditor::Text)
        m_text = text;
    else if (m_open == CellEditor::Tone)
        m_toneText = text;
    m_selected = false;
}

void TableEditor::choose(int index) {
    if (m_open == CellEditor::None || m_open == CellEditor::Text)
        return;
    const auto& entries = editorEntries(m_open);
    if (index < 0 || static_cast<std::size_t>(index) >= entries.size())
        return;
    m_entries[static_cast<int>(m_open)] = index;
    if (m_open == CellEditor::Tone)
        m_toneText = entries[static_cast<std::size_t>(index)];
}

TableEffects TableEditor::modelChanged() {
    TableEffects effects;
    if (m_open == CellEditor::Text || m_open == CellEditor::Tone || m_open == CellEditor::BusyLock) {
        // The model box can change without taking the keyboard (a turn of
        // the mouse wheel over it); the closed editor's keyboard must then
        // land on the grid, not on whatever control follows the editor.
        if (m_focus == FocusPlace::Editor) {
            effects.focus = FocusMove::Grid;
            m_focus = FocusPlace::Grid;
        }
        effects += close();
    }
    return effects;
}

TableEffects TableEditor::formReplaced() {
    TableEffects effects = load();
    effects.cellsChanged = true;
    return effects;
}

TableEffects TableEditor::reset() {
    m_text.clear();
    m_open = CellEditor::None;
    m_selected = false;
    TableEffects effects;
    effects.editorChanged = true;
    return effects;
}

TableEffects TableEditor::leave() {
    TableEffects effects;
    if (m_open == CellEditor::None)
        return effects;
    if (m_open == CellEditor::Tone) {
        m_form.cell(m_row, m_col) = rowHasFrequency(m_form, m_row) ? normalizeToneName(m_toneText) : std::string();
    } else if (isListEditor(m_open)) {
        m_form.cell(m_row, m_col) = rowHasFrequency(m_form, m_row)
                                        ? editorEntries(m_open)[static_cast<std::size_t>(entry(m_open))]
                                        : std::string();
    } else {
        const FrequencyCheck check = checkFrequencyEntry(m_text, CheckMode::Leave, m_form.selection(Setting::Band));
        effects.messages = check.messages;
        writeFrequency(m_form, m_row, m_col, check.committedText());
    }
    effects.cellsChanged = true;
    // Closing a focused editor must not hand the keyboard to the next control
    // in the chain, a settings box, where the next keys would silently change
    // a setting: the grid's current cell takes it.
    if (m_focus == FocusPlace::Editor) {
        effects.focus = FocusMove::Grid;
        m_focus = FocusPlace::Grid;
    }
    effects += close();
    return effects;
}

TableEffects TableEditor::load() {
    const std::string& text = m_form.cell(m_row, m_col);
    const CellEditor editor = editorOfColumn(m_col);
    if (editor == CellEditor::Text) {
        m_text = text;
    } else {
        const int found = prefixSearch(editorEntries(editor), text);
        m_entries[static_cast<int>(editor)] = found;
        if (editor == CellEditor::Tone)
            m_toneText = toneTable()[static_cast<std::size_t>(found)];
    }
    TableEffects effects;
    effects.editorChanged = true;
    return effects;
}

TableEffects TableEditor::show(char32_t key) {
    TableEffects effects;
    const CellEditor editor = editorOfColumn(m_col);
    // A key the user typed goes into the editor; 0 (a click) and 13 (the
    // Enter walk) open it with the cell's value, all selected.
    const bool typedKey = key != 0 && key != 13;
    if (key >= 32 && numberKeyWarns(key, m_col))
        effects.messages.push_back(EntryMessage::InputNumber);
    const std::string& cell = m_form.cell(m_row, m_col);
    if (editor == CellEditor::Text) {
        if (!typedKey)
            m_text = cell;
        else if (!cell.empty())
            m_text = utf8(key);
        else if (isDigit(key))
            m_text += utf8(key); // what the box held, and the digit
    } else if (editor == CellEditor::Tone && typedKey) {
        m_toneText = utf8(key);
    }
    m_selected = !typedKey && !isListEditor(editor);
    m_open = editor;
    m_focus = FocusPlace::Editor;
    effects.editorChanged = true;
    effects.focus = FocusMove::Editor;
    return effects;
}

TableEffects TableEditor::close() {
    TableEffects effects;
    if (m_open != CellEditor::None) {
        m_open = CellEditor::None;
        effects.editorChanged = true;
    }
    return effects;
}

void TableEditor::setCurrent(int row, int col) {
    m_row = row;
    m_col = col;
}

} // namespace varnok
