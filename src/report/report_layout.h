// The printed settings report, "The Radio Settings", as a list of strings
// with their fonts and positions. Computing it needs no printer and no GUI
// library, so the positions are tested exactly; a painter only draws it.
#pragma once

#include "image/form.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace varnok::report {

/// The rectangle a page may be drawn in, in device pixels (left and top are
/// 0 for a printer), and the device's logical pixels per inch.
struct PrintArea {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int dpiX = 0;
    int dpiY = 0;
};

/// The texts the report prints, as the form shows them.
struct ReportTexts {
    std::string model;
    std::string band;
    std::string txTimeLimit;
    std::string keyBeep;
    std::string squelch;
    std::string monitor;
    /// What follows "W/N: " on the squelch line; empty leaves the label out.
    std::string bandwidth;
    /// Header texts of the channel table's columns 0, 3, 4 and 5.
    std::string headerChannel;
    std::string headerDecode;
    std::string headerEncode;
    std::string headerBusyLock;
    /// Channels 1 to 16, columns 0 (number) to 5 (busy lock).
    std::array<std::array<std::string, column::kBusyLock + 1>, layout::kChannelCount> channels{};
};

/// What follows "W/N: " when the programmed channels do not all share one
/// bandwidth.
inline constexpr const char* kMixedBandwidth = "mixed";

/// Reads the report's texts from the form. A box without a selection gives
/// an empty text, as the box itself shows nothing. The "W/N: " value
/// summarises the channels' bandwidth cells: the common text when every
/// non-empty cell holds the same, kMixedBandwidth when they differ, and
/// empty (no label) when no channel has a bandwidth.
ReportTexts reportTextsFromForm(const FormState& form);

/// A font as the report asks for it; both are "Times New Roman", regular.
struct ReportFont {
    std::string family;
    /// Twips; a negative height asks for that character height (the em
    /// size, without the internal leading).
    int height = 0;
    /// Twips, the average character width.
    int width = 0;

    friend bool operator==(const ReportFont& a, const ReportFont& b) {
        return a.family == b.family && a.height == b.height && a.width == b.width;
    }
};

inline constexpr const char* kReportFontFamily = "Times New Roman";
inline constexpr const char* kReportTitle = "The Radio Settings";

enum class FontRole { Title, Body };

/// One string of the report, placed by its top-left corner. Twips, y up:
/// 0 at the top edge of the print area, negative below it.
struct ReportString {
    FontRole font = FontRole::Body;
    int x = 0;
    int y = 0;
    std::string text;

    friend bool operator==(const ReportString& a, const ReportString& b) {
        return a.font == b.font && a.x == b.x && a.y == b.y && a.text == b.text;
    }
};

struct ReportLayout {
    int lineUnit = 0;   ///< u, twips
    int columnUnit = 0; ///< v, twips
    ReportFont title;
    ReportFont body;
    /// In drawing order.
    std::vector<ReportString> strings;
};

/// The line advance of a font on the device (text height plus external
/// leading), in twips. Only the device knows it.
using LineAdvance = std::function<int(const ReportFont&)>;

/// Lays out one page. An area with a resolution of 0 or less cannot be
/// measured in twips and gives a layout without strings.
ReportLayout layoutReport(const ReportTexts& texts, const PrintArea& area, const LineAdvance& lineAdvance);

} // namespace varnok::report
