// What the window's form shows: eleven settings boxes and the 17 x 9 channel
// table, plus the conversions between that form and the memory image.
#pragma once

#include "image/image.h"
#include "text/texts.h"

#include <array>
#include <string>
#include <vector>

namespace varnok {

/// The radio-wide settings boxes, in the order the tools list them.
enum class Setting {
    Model,
    Band,
    TxTimeLimit,
    KeyBeep,
    Squelch,
    Monitor,
    Scan,
    Voice,
    Emergency,
    PowerSave,
    RejectAlarm,
};
constexpr int kSettingCount = 11;
constexpr std::array<Setting, kSettingCount> kAllSettings = {
    Setting::Model, Setting::Band,  Setting::TxTimeLimit, Setting::KeyBeep,   Setting::Squelch,     Setting::Monitor,
    Setting::Scan,  Setting::Voice, Setting::Emergency,   Setting::PowerSave, Setting::RejectAlarm,
};

/// Stable machine name of a setting ("model", "tx_time_limit", ...).
const char* settingKey(Setting s);
/// The entries of a settings box, index 0 first.
const std::vector<std::string>& settingEntries(Setting s);

/// Columns of the channel table.
namespace column {
constexpr int kChannel = 0;
constexpr int kRxFrequency = 1;
constexpr int kTxFrequency = 2;
constexpr int kDecodeTone = 3;
constexpr int kEncodeTone = 4;
constexpr int kBusyLock = 5;
constexpr int kBandwidth = 6;
constexpr int kScan = 7;
constexpr int kPower = 8;
constexpr int kCount = 9;
} // namespace column
constexpr int kTableRows = 17;

/// Header texts of row 0.
const std::array<std::string, column::kCount>& columnHeaders();
/// Stable machine names of columns 1 to 8 ("rx", "tx", "decode", ...);
/// index 0 is "channel".
const std::array<const char*, column::kCount>& columnKeys();
/// The entries of the list editor of columns 5 to 8 (empty for others).
const std::vector<std::string>& columnEntries(int col);

/// Grid texts of the flag columns: the form holds them in Chinese, in
/// whichever language the window shows them.
namespace cellText {
inline constexpr const char* kBusyOn = text::kCellBusyOn.zh;
inline constexpr const char* kBusyOff = text::kCellBusyOff.zh;
inline constexpr const char* kWide = text::kCellWide.zh;
inline constexpr const char* kNarrow = text::kCellNarrow.zh;
inline constexpr const char* kScanAdd = text::kCellScanAdd.zh;
inline constexpr const char* kScanDelete = text::kCellScanDelete.zh;
inline constexpr const char* kPowerHigh = text::kCellPowerHigh.zh;
inline constexpr const char* kPowerMedium = text::kCellPowerMedium.zh;
inline constexpr const char* kPowerLow = text::kCellPowerLow.zh;
} // namespace cellText

/// The band range table: inclusive limits in 10 Hz units by band selection.
struct BandRange {
    Frequency lowest;
    Frequency highest;
};
constexpr std::array<BandRange, 4> kBandRanges = {{
    {13600000, 17400000},
    {35000000, 40000000},
    {40000000, 47000000},
    {43000000, 50000000},
}};

/// The form's state. A selection of -1 means the box shows nothing.
struct FormState {
    std::array<std::array<std::string, column::kCount>, kTableRows> cells{};
    std::array<int, kSettingCount> selections;

    FormState() { selections.fill(-1); }

    int selection(Setting s) const { return selections[static_cast<std::size_t>(s)]; }
    /// Selects an entry; an index outside the list leaves no selection, as
    /// a combo box does.
    void select(Setting s, int index);
    /// The selected entry's text, or "" when there is no selection (or the
    /// selection lies outside the list).
    std::string selectedText(Setting s) const;

    std::string& cell(int row, int col) { return cells[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)]; }
    const std::string& cell(int row, int col) const {
        return cells[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
    }

    friend bool operator==(const FormState& a, const FormState& b) {
        return a.cells == b.cells && a.selections == b.selections;
    }
    friend bool operator!=(const FormState& a, const FormState& b) { return !(a == b); }
};

/// The form as a program run first shows it: the starting selections of the
/// first initial update (time limit "60s", QX-100, key beep "关", squelch 4,
/// monitor "SQ-Off 瞬时", band 2, voice "英语"), headers and channel numbers.
FormState startingForm();

/// Writes the header row and the channel numbers of column 0.
void writeTableFrame(FormState& form);

/// The model change: band back to its first entry, and the auxiliary
/// records' frequencies cleared with step flags from the model selection.
void applyModelChange(FormState& form, RadioImage& image);

/// Shows the image in the form (channel cells and every settings box), then
/// runs the model change; that is the only change it makes to the image.
void decodeImage(RadioImage& image, FormState& form);

/// Writes the form back into the image. Bytes the form does not cover keep
/// their values; so does the byte of a settings box without a selection.
void encodeForm(const FormState& form, RadioImage& image);

/// The frequency a cell text stands for, in 10 Hz units (0 for none), the
/// same conversion the entry check uses so text and value always agree.
Frequency cellFrequency(const std::string& text);
/// The text a frequency is shown as ("%3.5f" of MHz, e.g. "460.12500").
std::string frequencyText(Frequency f);

} // namespace varnok
