// The checks applied to what a user types into the channel table, as plain
// functions on the form so that every face of the program shares them.
#pragma once

#include "image/form.h"

#include <string>
#include <vector>

namespace varnok {

/// The four entry-check messages.
enum class EntryMessage {
    DataFormat,  ///< "Error Data Format，Please input again"
    OutOfRange,  ///< "Out of range!" (caption "Prompt", information icon)
    StepValue,   ///< "Error data Value，Please input according the step value(6.25K/5k)"
    InputNumber, ///< "Please input Number"
};
/// The exact text of a message.
const char* entryMessageText(EntryMessage m);

/// Enter commits in place and may keep the editor open; Leave commits
/// because the current cell changes or a transfer or save needs the table.
enum class CheckMode { Enter, Leave };

/// Result of checking a typed frequency.
struct FrequencyCheck {
    enum class Outcome { Empty, Accepted, RefusedFormat, RefusedRange, RefusedStep };
    Outcome outcome = Outcome::Empty;
    /// The cell text for an accepted entry: the checked value in MHz with
    /// five decimals, so text and stored value always agree.
    std::string text;
    /// Messages to show, in order (Leave mode can give range, then step).
    std::vector<EntryMessage> messages;

    bool refused() const {
        return outcome == Outcome::RefusedFormat || outcome == Outcome::RefusedRange || outcome == Outcome::RefusedStep;
    }
    /// What a commit writes into the cell: every refusal counts as empty.
    std::string committedText() const { return outcome == Outcome::Accepted ? text : std::string(); }
};

/// The frequency check of the text box. `bandSelection` is the band box's
/// selection; when it names no band (-1 or beyond the table) the band range
/// test is skipped rather than reading outside the table.
FrequencyCheck checkFrequencyEntry(const std::string& text, CheckMode mode, int bandSelection);

/// The tone-name rule: the table's own spelling of the name the text matches
/// ignoring letter case, or "OFF" when it names no tone.
std::string normalizeToneName(const std::string& text);

/// The number-key rule: true when opening a frequency cell (column 1 or 2)
/// with this key shows "Please input Number".
bool numberKeyWarns(char32_t key, int col);

/// Whether a key typed on the grid opens the cell's editor: a printable
/// character on a data cell other than the bandwidth column. Control
/// characters (Escape, Ctrl+G, Delete) never do, so they can never become
/// the text an editor commits.
bool keyOpensEditor(char32_t key, int row, int col);

/// True when row `row` has a receive or a transmit frequency.
bool rowHasFrequency(const FormState& form, int row);

/// Writes a committed frequency text into (row, col), col 1 or 2: the first
/// frequency of an empty row brings the row defaults (and a first receive
/// frequency is copied to transmit); an emptied one takes its tone with it,
/// and a row left with no frequency or tone is blanked.
void writeFrequency(FormState& form, int row, int col, const std::string& text);

/// The texts a first frequency writes into columns 3 to 8.
const std::array<std::string, column::kCount>& rowDefaults();

} // namespace varnok
