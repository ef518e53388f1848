// Channels exchanged with other programs: the generic channel CSV that
// spreadsheets and other radio programmers read and write, and rows of the
// grid copied or pasted as tab-separated text. Every row that comes in is
// entered with the checks a row typed into the grid gets.
#pragma once

#include "image/form.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace varnok::app {

/// The cells of one channel row as the grid holds them; index 0 (the
/// channel number) is unused.
using RowCells = std::array<std::string, column::kCount>;

/// A row that was not taken: where it stands in the text and why.
struct RowRefusal {
    int line = 0;       ///< line of the text the row starts on, from 1
    std::string column; ///< the column at fault, as the text names it ("" for the whole row)
    std::string reason;

    /// "line 4, Frequency: "180.000000": Out of range!"
    std::string text() const;
};

/// Rows ready to go into a form, and what was left out.
struct RowImport {
    struct Row {
        int channel = 0; ///< 1 to 16
        RowCells cells;
    };
    std::vector<Row> rows; ///< in the order of the text, one per channel
    std::vector<RowRefusal> refusals;
    /// One sentence when columns the radio cannot hold (names, comments)
    /// had values that were dropped; empty otherwise.
    std::string notice;
    /// False when the text had no usable header line: nothing in it could be read.
    bool readable = true;
};

/// A cell refused by enterRow: the grid column and why.
struct CellRefusal {
    int col = 0;
    std::string reason;
};

/// Enters the texts of one channel row as the editors would take them
/// under band selection `bandSelection`: the frequencies through the
/// frequency check, a first one bringing the row defaults; a tone must be
/// a name of the tone table and a list cell one of its entries. An empty
/// tone or list cell in a row with a frequency takes the row default; a
/// value in a row without one is refused. All texts empty give an empty
/// row. `cells` receives the row when nothing is refused.
std::vector<CellRefusal> enterRow(const RowCells& typed, int bandSelection, RowCells& cells);

/// What taking `import` into `form` would do, by channel: channels that
/// are empty now, channels whose cells would change, and channels that
/// would stay as they are.
struct ImportChanges {
    std::vector<int> added;
    std::vector<int> replaced;
    std::vector<int> unchanged;
};
ImportChanges importChanges(const FormState& form, const RowImport& import);
/// Writes the accepted rows into `form` and returns what changed.
ImportChanges applyImport(FormState& form, const RowImport& import);

/// A CSV field: quoted, with its quotes doubled, when it holds the
/// separator, a quote or a line break.
std::string csvField(const std::string& value, char separator = ',');

/// The column headers of the CSV, in the order export writes them.
const std::vector<std::string>& csvColumns();

/// The form's channels as CSV: a header line, then one line per channel
/// that has a receive frequency, in channel order; UTF-8, comma-separated,
/// "\r\n" line ends. Values describe what the radio gets when the form is
/// saved (a tone cell that encodes as no tone exports as none).
std::string exportCsv(const FormState& form);

/// Reads a CSV: header by name in any order (Location and Frequency are
/// needed), ',' or ';' as the header line uses, a UTF-8 BOM, '#' comment
/// lines, quoted fields. Rows are entered under band selection
/// `bandSelection`; a row with a refused value, a Location outside 1 to 16
/// or a channel given twice is refused. A text without a usable header
/// gives one refusal and no rows.
RowImport importCsv(std::string_view text, int bandSelection);

/// The channels as the clipboard carries them: the grid's header line,
/// then one line per channel (number, then the eight cells), tab-separated.
std::string rowsToTsv(const FormState& form, const std::vector<int>& channels);

/// Reads tab-separated rows pasted from Varnok or a spreadsheet, with or
/// without the header line (with it, columns go by their headers; without,
/// nine fields start with the channel number and fewer start at the
/// receive frequency). Rows go to channel `firstChannel` and on, in order;
/// rows beyond channel 16 and rows with a refused cell are refused.
RowImport parseTsvRows(std::string_view text, int firstChannel, int bandSelection);

} // namespace varnok::app
