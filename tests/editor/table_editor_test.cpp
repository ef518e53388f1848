#include "editor/table_editor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace varnok {
namespace {

using Msgs = std::vector<EntryMessage>;
constexpr auto kFormat = EntryMessage::DataFormat;
constexpr auto kRange = EntryMessage::OutOfRange;
constexpr auto kStep = EntryMessage::StepValue;
constexpr auto kNumber = EntryMessage::InputNumber;

// Channels as columns 1 to 8 joined by '|'.
const char* const kFull = "145.00000|145.00000|88.5|D023N|是|窄带|删除|低";
const char* const kTxOnly = "|145.00000||D023N|是|窄带|删除|低";
const char* const kNoFreq = "||88.5|无|否|宽带|添加|高";
const char* const kBlank = "|||||||";
const char* const kFirst = "145.00000|145.00000|无|无|否|宽带|添加|高";

std::string with(std::string row, int col, const char* text) {
    std::size_t start = 0;
    for (int c = 1; c < col; ++c)
        start = row.find('|', start) + 1;
    return row.replace(start, row.find('|', start) - start, text);
}
/// What an event asks of the face: C cells, M current cell moved, E editor,
/// then where the keyboard goes (Stay, Editor, Grid, Next control).
std::string asked(const TableEffects& fx) {
    return std::string(fx.cellsChanged ? "C" : "") + (fx.currentChanged ? "M" : "") + (fx.editorChanged ? "E" : "") +
           ">" + "SEGN"[static_cast<int>(fx.focus)];
}

/// A table in band 0 whose sixteen channels all start as `rows`.
struct Bench {
    FormState form;
    TableEditor ed{form};

    explicit Bench(const char* rows) {
        form.select(Setting::Band, 0);
        for (int r = 1; r < kTableRows; ++r) {
            std::istringstream in(rows);
            for (int c = 1; c < column::kCount; ++c)
                std::getline(in, form.cell(r, c), '|');
        }
    }
    std::string row(int r) const {
        std::string out = form.cell(r, 1);
        for (int c = 2; c < column::kCount; ++c)
            out += "|" + form.cell(r, c);
        return out;
    }
    /// "row,col editor text", the text in brackets when it is all selected.
    std::string state() const {
        const char* names[] = {"-", "text", "tone", "busy", "band", "scan", "power"};
        std::string s = std::to_string(ed.row()) + "," + std::to_string(ed.col()) + " " + names[int(ed.open())];
        if (ed.open() == CellEditor::None)
            return s;
        std::string shown = ed.open() == CellEditor::Text ? ed.text() : ed.toneText();
        if (isListEditor(ed.open()))
            shown = editorEntries(ed.open())[static_cast<std::size_t>(ed.entry(ed.open()))];
        return s + " " + (ed.textSelected() ? "[" + shown + "]" : shown);
    }
    /// The user picks `input` from the open editor's list, or types it.
    void give(const std::string& input) {
        const auto& entries = editorEntries(ed.open());
        const auto found = std::find(entries.begin(), entries.end(), input);
        if (found == entries.end())
            return ed.edit(input);
        ed.choose(static_cast<int>(found - entries.begin()));
    }
};

// The Enter key by where the keyboard is, then a commit by leaving the cell
// (a move to channel 9, column 2) or before the table is read.
TEST(TableEditor, EnterAndLeaveTable) {
    enum How { Enter, Move, Commit };
    struct Case {
        FocusPlace focus;
        int row, col;
        bool open;
        const char *before, *input; // input nullptr: nothing typed or picked
        How how;
        std::string after;
        const char *state, *asked;
        Msgs messages;
    };
    const auto Ed = FocusPlace::Editor, Gr = FocusPlace::Grid, El = FocusPlace::Elsewhere;
    const Case cases[] = {
        {Ed, 1, 1, true, kBlank, "145", Enter, kFirst, "1,2 text [145.00000]", "CME>E", {}},
        {Ed, 2, 2, true, kBlank, "145", Enter, with(kFirst, 1, ""), "2,3 tone [无]", "CME>E", {}},
        {Ed, 1, 1, true, kFull, "180.001", Enter, kFull, "1,1 text ", "E>E", {kRange}},
        {Ed, 1, 1, true, kFull, "abc", Enter, kTxOnly, "1,2 text [145.00000]", "CME>E", {kFormat}},
        {Ed, 1, 2, true, kTxOnly, "", Enter, kBlank, "1,3 tone [无]", "CME>E", {}},
        {Ed, 1, 4, true, kFull, "d023i", Enter, with(kFull, 4, "D023I"), "1,5 busy 是", "CME>E", {}},
        {Ed, 6, 3, true, kNoFreq, "67.0", Enter, with(kNoFreq, 3, ""), "6,4 tone [无]", "CME>E", {}},
        {Ed, 7, 5, true, kNoFreq, "是", Enter, kNoFreq, "7,6 band 宽带", "ME>E", {}},
        {Ed, 1, 5, true, kFull, "否", Enter, with(kFull, 5, "否"), "1,6 band 窄带", "CME>E", {}},
        {Ed, 15, 8, true, kFull, "中", Enter, with(kFull, 8, "中"), "16,1 text [145.00000]", "CME>E", {}},
        {Ed, 16, 6, true, kNoFreq, "窄带", Enter, kNoFreq, "16,6 -", "E>N", {}},
        {Ed, 16, 8, true, kFull, "中", Enter, with(kFull, 8, "中"), "16,8 -", "CE>N", {}},
        {Gr, 4, 7, false, kFull, nullptr, Enter, kFull, "4,8 -", "ME>S", {}},
        {Gr, 4, 6, false, kFull, nullptr, Enter, kFull, "4,6 -", ">N", {}},
        {Gr, 1, 3, true, kFull, "D754I", Enter, with(kFull, 3, "D754I"), "1,4 -", "CME>S", {}},
        {El, 1, 2, false, kFull, nullptr, Enter, kFull, "1,2 -", ">N", {}},
        {El, 1, 3, true, kFull, "D754I", Enter, with(kFull, 3, "D754I"), "1,4 tone [D023N]", "CME>E", {}},
        {El, 1, 1, true, kFull, "150", Enter, kFull, "1,1 text 150", ">N", {}},
        {Ed, 1, 1, true, kFull, "180.001", Move, kTxOnly, "9,2 -", "CME>G", {kRange, kStep}},
        {El, 1, 1, true, kBlank, "145", Move, kFirst, "9,2 -", "CME>S", {}},
        {Ed, 1, 1, true, kFull, "146.5", Commit, with(kFull, 1, "146.50000"), "1,1 -", "CE>G", {}},
        {Ed, 9, 2, true, kFull, "150", Move, kFull, "9,2 text 150", ">S", {}}, // already there
        {Ed, 1, 7, true, kNoFreq, "删除", Move, with(kNoFreq, 7, ""), "9,2 -", "CME>G", {}},
        {El, 1, 7, true, kFull, "添加", Commit, with(kFull, 7, "添加"), "1,7 -", "CE>S", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.row) + "," + std::to_string(c.col) + " " + (c.input ? c.input : "-"));
        Bench b(c.before);
        b.ed.press(c.row, c.col, !c.open);
        b.ed.setFocus(c.focus);
        if (c.input)
            b.give(c.input);
        const TableEffects fx = c.how == Enter ? b.ed.enter() : c.how == Move ? b.ed.moveTo(9, 2) : b.ed.commit();
        EXPECT_EQ(b.row(c.row), c.after);
        EXPECT_EQ(b.state(), c.state);
        EXPECT_EQ(asked(fx), c.asked);
        EXPECT_EQ(fx.messages, c.messages);
    }
}

TEST(TableEditor, OpeningByPressDoubleClickAndKey) {
    enum How { Press, Right, Double, Key, Move };
    struct Case {
        const char* before;
        How how;
        int row, col;
        char32_t key;
        const char *state, *asked;
        Msgs messages;
    };
    const Case cases[] = {
        {kFull, Press, 2, 1, 0, "2,1 text [145.00000]", "ME>E", {}},
        {kFull, Double, 2, 3, 0, "2,3 tone [88.5]", "ME>E", {}},
        {kFull, Press, 2, 6, 0, "2,6 band 窄带", "ME>E", {}},
        {kFull, Right, 2, 3, 0, "2,3 -", "ME>S", {}},
        {kFull, Press, 0, 4, 0, "1,1 -", ">S", {}}, // beside the data cells
        {kFull, Double, 2, 0, 0, "1,1 -", ">S", {}},
        {kFull, Press, 17, 1, 0, "1,1 -", ">S", {}},
        {kFull, Press, 2, 9, 0, "1,1 -", ">S", {}},
        {kFull, Key, 2, 1, '7', "2,1 text 7", "E>E", {}},
        {kBlank, Key, 2, 1, '.', "2,1 text ", "E>E", {kNumber}},
        {kBlank, Key, 2, 2, '4', "2,2 text 4", "E>E", {}},
        {kFull, Key, 2, 3, 'd', "2,3 tone d", "E>E", {}},
        {kFull, Key, 2, 4, U'\u0080', "2,4 tone \xC2\x80", "E>E", {}}, // UTF-8 of each length, at its bounds
        {kFull, Key, 2, 4, U'\u0800', "2,4 tone \xE0\xA0\x80", "E>E", {}},
        {kFull, Key, 2, 4, U'\U00010000', "2,4 tone \xF0\x90\x80\x80", "E>E", {}},
        {kFull, Key, 2, 5, '1', "2,5 busy 是", "E>E", {}},
        {kFull, Key, 2, 6, '1', "2,6 -", ">S", {}},
        {kFull, Key, 2, 3, 0x1B, "2,3 -", ">S", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.row) + "," + std::to_string(c.col) + " key " + std::to_string(int(c.key)));
        Bench b(c.before);
        TableEffects fx = c.how == Double ? b.ed.doubleClick(c.row, c.col)
                          : c.how == Move ? b.ed.moveTo(c.row, c.col)
                                          : b.ed.press(c.row, c.col, c.how != Press);
        if (c.how == Key)
            fx = b.ed.typed(c.key);
        EXPECT_EQ(b.state(), c.state);
        EXPECT_EQ(fx.messages, c.messages);
        EXPECT_EQ(asked(fx), c.asked);
        EXPECT_EQ(b.row(2), c.before);
    }
}

TEST(TableEditor, APickOutsideTheListChangesNothing) {
    Bench b(kFull);
    b.ed.press(1, 5, false);
    b.ed.choose(-1);
    b.ed.choose(2);
    EXPECT_EQ(b.ed.entry(CellEditor::BusyLock), 0);
}

} // namespace
} // namespace varnok
