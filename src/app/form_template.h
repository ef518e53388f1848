// The form's template: every control of the main form, the progress window
// and the About box, in template order with positions in dialog units and
// the control ids the program has always used. Both desktop faces lay their
// windows out from these tables.
#pragma once

#include "app/strings.h"
#include "image/form.h"

#include <array>

namespace varnok::app {

struct TemplateControl {
    enum class Kind { Label, Group, Combo, Grid, Button, Progress, Icon, Check };
    enum class Align { Left, Right };
    Kind kind;
    int id;                    ///< control id; 0 for static controls without one
    const strings::Text* text; ///< nullptr for a control without one
    int x, y, width, height;
    Align align = Align::Left;
    bool vcenter = false; ///< a label centred vertically (one line)
};

/// The main form, 485 x 221 dialog units.
inline constexpr int kFormWidth = 485;
inline constexpr int kFormHeight = 221;
// clang-format off
inline constexpr TemplateControl kFormTemplate[] = {
    {TemplateControl::Kind::Label, 0, &strings::kLabelModel, 20, 20, 16, 9},
    {TemplateControl::Kind::Label, 0, &strings::kLabelBand, 20, 36, 15, 9},
    {TemplateControl::Kind::Combo, 1011, nullptr, 42, 34, 61, 59},
    {TemplateControl::Kind::Group, 0, &strings::kGroupModel, 8, 8, 109, 43},
    {TemplateControl::Kind::Combo, 1017, nullptr, 42, 18, 61, 52},
    {TemplateControl::Kind::Group, 0, &strings::kGroupFunctions, 8, 54, 109, 160},
    {TemplateControl::Kind::Label, 0, &strings::kLabelTimeLimit, 13, 68, 29, 8, TemplateControl::Align::Right, true},
    {TemplateControl::Kind::Combo, 1013, nullptr, 48, 66, 64, 52},
    {TemplateControl::Kind::Label, 0, &strings::kLabelKeyBeep, 13, 84, 29, 8, TemplateControl::Align::Right, true},
    {TemplateControl::Kind::Combo, 1014, nullptr, 48, 82, 64, 52},
    {TemplateControl::Kind::Label, 0, &strings::kLabelSquelch, 13, 100, 29, 8, TemplateControl::Align::Right, true},
    {TemplateControl::Kind::Label, 0, &strings::kLabelMonitor, 29, 197, 13, 8, TemplateControl::Align::Right, true},
    {TemplateControl::Kind::Combo, 1016, nullptr, 48, 98, 64, 52},
    {TemplateControl::Kind::Combo, 1012, nullptr, 48, 195, 64, 52},
    {TemplateControl::Kind::Label, 0, &strings::kLabelScan, 22, 132, 20, 8, TemplateControl::Align::Right, true},
    {TemplateControl::Kind::Combo, 1075, nullptr, 48, 130, 64, 42},
    {TemplateControl::Kind::Label, 0, &strings::kLabelVoiceShown, 13, 147, 29, 8, TemplateControl::Align::Right, true},
    {TemplateControl::Kind::Combo, 1076, nullptr, 48, 146, 64, 46},
    {TemplateControl::Kind::Label, 0, &strings::kLabelEmergencyShown, 13, 161, 29, 15},
    {TemplateControl::Kind::Combo, 1077, nullptr, 48, 162, 64, 57},
    {TemplateControl::Kind::Label, 0, &strings::kLabelPowerSave, 13, 117, 29, 8, TemplateControl::Align::Right, true},
    {TemplateControl::Kind::Combo, 1078, nullptr, 48, 114, 64, 30},
    {TemplateControl::Kind::Grid, 1007, nullptr, 124, 33, 352, 167},
    {TemplateControl::Kind::Label, 0, &strings::kChannelsTitle, 125, 16, 40, 8},
    {TemplateControl::Kind::Label, 0, &strings::kLabelRejectAlarm, 11, 177, 31, 17, TemplateControl::Align::Right},
    {TemplateControl::Kind::Combo, 1015, nullptr, 48, 178, 64, 52},
};
// clang-format on
/// The order Tab takes through the form: the model box, the band box, the
/// other settings top to bottom as the form shows them, then the grid. The
/// template's own order jumps around the form (the 监听 box comes between
/// 静噪电平 and 扫描, the grid before the last box), which a keyboard user
/// cannot follow.
inline constexpr int kFormTabOrder[] = {1017, 1011, 1013, 1014, 1016, 1078, 1075, 1076, 1077, 1015, 1012, 1007};
/// A label this many dialog units high holds two lines and wraps.
inline constexpr int kTwoLineHeight = 15;

/// The control ids of the grid and its in-place editors.
inline constexpr int kGridId = 1007;
inline constexpr int kTextBoxId = 61446;
inline constexpr int kToneBoxId = 1000;
inline constexpr int kBusyLockBoxId = 61448;
inline constexpr int kBandwidthBoxId = 61449;
inline constexpr int kScanListBoxId = 61450;
inline constexpr int kPowerBoxId = 61451;

/// The settings box of a setting, by control id, and back.
int comboId(Setting setting);
/// The setting of a settings box's control id; false when `id` is none.
bool settingOfCombo(int id, Setting& setting);

/// The grid's column widths in twips, all from w, the width the grid gives
/// column 2 before any change: 0.5 w, then 1.25 w for the four frequency and
/// tone columns, w / 1.2 for the busy lock and w / 1.4 for the rest, each cut
/// toward zero.
std::array<long, column::kCount> columnWidths(long w);
/// Editors stand this many pixels up and left of the cell they edit, and a
/// list editor's field has this much room below it for its dropped list.
inline constexpr int kEditorInset = 3;
inline constexpr int kDroppedListRoom = 100;

/// The progress window, 262 x 70 dialog units, font 宋体 10 pt.
inline constexpr int kProgressWidth = 262;
inline constexpr int kProgressHeight = 70;
inline constexpr TemplateControl kProgressTemplate[] = {
    {TemplateControl::Kind::Button, 1, &strings::kProgressStart, 7, 7, 40, 15},
    // Shown only where they apply (a write, a clone run), between Start and
    // Cancel in the Tab order.
    {TemplateControl::Kind::Check, 1006, &strings::kVerifyCheck, 55, 9, 70, 10},
    {TemplateControl::Kind::Check, 1007, &strings::kCloneBackupFirst, 128, 9, 118, 10},
    {TemplateControl::Kind::Button, 2, &strings::kButtonCancel, 205, 48, 40, 15},
    {TemplateControl::Kind::Progress, 1003, nullptr, 7, 28, 239, 11},
    {TemplateControl::Kind::Label, 1004, &strings::kProgressLabel, 8, 46, 32, 10},
    {TemplateControl::Kind::Label, 1005, &strings::kProgressWaiting, 43, 46, 158, 10},
};

/// The About box, 177 x 63 dialog units, font 宋体 10 pt.
inline constexpr int kAboutWidth = 177;
inline constexpr int kAboutHeight = 63;
inline constexpr TemplateControl kAboutTemplate[] = {
    {TemplateControl::Kind::Icon, 0, nullptr, 132, 12, 0, 0},
    {TemplateControl::Kind::Label, 0, &strings::kAboutVersion, 14, 15, 105, 8},
    {TemplateControl::Kind::Label, 0, &strings::kAboutDescription, 14, 31, 105, 17},
    {TemplateControl::Kind::Button, 1, &strings::kButtonOk, 122, 37, 39, 14},
};

} // namespace varnok::app
