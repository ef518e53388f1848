// Editing the channel table in place, as a state machine without a window:
// the current cell, which in-place editor its column opens, whether one is
// open and with what, and every transition the grid's events and the Enter
// key cause. A face only maps its events to these calls and shows what the
// returned effects say; every decision about a value is the entry rules'.
#pragma once

#include "editor/entry_rules.h"
#include "image/form.h"

#include <string>
#include <vector>

namespace varnok {

/// The six in-place editors, by the columns they serve.
enum class CellEditor {
    None,      ///< no editor (as a value of TableEditor::open(): all hidden)
    Text,      ///< frequency text box, columns 1 and 2
    Tone,      ///< tone box with an edit field, columns 3 and 4
    BusyLock,  ///< drop-down list, column 5
    Bandwidth, ///< drop-down list, column 6
    Scan,      ///< drop-down list, column 7
    Power,     ///< drop-down list, column 8
};

/// The editor of a table column (the text box for any column that has no
/// other).
CellEditor editorOfColumn(int col);
/// The entries an editor lists: the tone table for the tone box, the
/// column's entries for the four lists, none for the text box.
const std::vector<std::string>& editorEntries(CellEditor editor);
/// True for the four drop-down lists, which hold a selection but no text.
bool isListEditor(CellEditor editor);

/// Where the keyboard is, as far as the table is concerned. The face tells
/// the editor whenever it changes (a dropped list of an editor counts as
/// that editor).
enum class FocusPlace {
    Grid,      ///< the grid itself
    Editor,    ///< the open in-place editor
    Elsewhere, ///< any other control of the form, or outside it
};

/// Where the face must put the keyboard after an event.
enum class FocusMove {
    Stay,        ///< where it is
    Editor,      ///< into the open editor
    Grid,        ///< onto the grid's current cell
    NextControl, ///< as Tab would from where it is, an editor counting as the grid
};

/// What an event changed, for the face to show. The face shows `messages`
/// first, in order, each as a modal box (entryMessageText and the caption
/// and icon the message has); then it repaints what is flagged, then moves
/// the keyboard.
struct TableEffects {
    std::vector<EntryMessage> messages;
    bool cellsChanged = false;   ///< texts of channel cells changed
    bool currentChanged = false; ///< the current cell moved
    bool editorChanged = false;  ///< an editor opened, closed, or its text, selection or cell changed
    FocusMove focus = FocusMove::Stay;

    /// Adds what a later step of the same event did.
    TableEffects& operator+=(const TableEffects& later);
};

class TableEditor {
public:
    /// Edits `form`'s channel cells (rows 1 to 16, columns 1 to 8); the
    /// frequency check reads its band selection. The form must outlive the
    /// editor. The current cell starts at channel 1, column 1.
    explicit TableEditor(FormState& form);

    // What the face shows.

    /// The current cell: a channel row 1 to 16 and a column 1 to 8.
    int row() const { return m_row; }
    int col() const { return m_col; }
    /// The open editor, over the current cell; None when all are hidden.
    CellEditor open() const { return m_open; }
    /// The text box's text. It is kept while the box is hidden, as the
    /// box's own text would be: a key typed on an empty cell adds to it.
    const std::string& text() const { return m_text; }
    /// The tone box's edit field.
    const std::string& toneText() const { return m_toneText; }
    /// The selected entry of a list editor or the tone box, index into
    /// editorEntries(editor); 0 until the editor was first loaded.
    int entry(CellEditor editor) const;
    /// True when the open editor's text is all selected (typing replaces
    /// it); false when the caret stands after it.
    bool textSelected() const { return m_selected; }
    /// Where the keyboard is, as last told.
    FocusPlace focus() const { return m_focus; }

    // Events from the face.

    /// The user made another data cell current (an arrow key, a click): the
    /// open editor is committed, then the new cell's editor is loaded
    /// (still hidden). Nothing happens when (row, col) is current already
    /// or is not a data cell.
    TableEffects moveTo(int row, int col);
    /// A press of a mouse button on cell (row, col) of the grid, (-1, -1)
    /// when it hit no cell: a data cell becomes current, and a press of any
    /// button but the right one alone opens its editor.
    TableEffects press(int row, int col, bool rightButton);
    /// A double click of the left button on cell (row, col).
    TableEffects doubleClick(int row, int col);
    /// A character typed while the grid has the keyboard: a printable one
    /// opens the current cell's editor with it (keyOpensEditor); a key that
    /// is not a digit on a frequency cell first warns (numberKeyWarns).
    TableEffects typed(char32_t key);
    /// The Enter key, wherever the keyboard is (focus()): the Enter-key
    /// table. Commits, moves on through the row and to the next channel, or
    /// hands the keyboard on.
    TableEffects enter();
    /// Escape: does nothing to an open editor, which keeps its text.
    TableEffects escape() { return {}; }
    /// Commits the open editor, as leaving its cell does: before a save, a
    /// transfer or printing reads the table.
    TableEffects commit();
    /// The user changed the open editor's text (text box, tone box field).
    void edit(const std::string& text);
    /// The user picked entry `index` of the open list or tone box.
    void choose(int index);
    /// The keyboard moved.
    void setFocus(FocusPlace place) { m_focus = place; }
    /// The user chose another model: the text box, the tone box and the
    /// busy-lock box close without being committed (one that had the
    /// keyboard hands it to the grid); the other lists stay.
    TableEffects modelChanged();
    /// The form was replaced (decoded from an image): the current cell's
    /// editor is loaded again, so a click does not bring back the old value.
    TableEffects formReplaced();
    /// A new or opened document: every editor hidden, the text box empty.
    TableEffects reset();

private:
    TableEffects leave();
    TableEffects load();
    TableEffects show(char32_t key);
    TableEffects close();
    TableEffects enterInText();
    TableEffects enterInList();
    TableEffects enterElsewhere();
    void setCurrent(int row, int col);

    FormState& m_form;
    int m_row = 1;
    int m_col = 1;
    CellEditor m_open = CellEditor::None;
    std::string m_text;
    std::string m_toneText;
    int m_entries[7] = {}; ///< per CellEditor
    bool m_selected = false;
    FocusPlace m_focus = FocusPlace::Elsewhere;
};

} // namespace varnok
