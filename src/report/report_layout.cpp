#include "report/report_layout.h"

#include <cstdint>
#include <utility>

namespace varnok::report {
namespace {

std::string bandwidthSummary(const FormState& form) {
    std::string common;
    for (int row = 1; row <= layout::kChannelCount; ++row) {
        const std::string& text = form.cell(row, column::kBandwidth);
        if (text.empty())
            continue;
        if (common.empty())
            common = text;
        else if (text != common)
            return kMixedBandwidth;
    }
    return common;
}

/// Casts the way the page arithmetic wants: toward zero.
int truncated(double value) { return static_cast<int>(value); }

} // namespace

ReportTexts reportTextsFromForm(const FormState& form) {
    ReportTexts t;
    t.model = form.selectedText(Setting::Model);
    t.band = form.selectedText(Setting::Band);
    t.txTimeLimit = form.selectedText(Setting::TxTimeLimit);
    t.keyBeep = form.selectedText(Setting::KeyBeep);
    t.squelch = form.selectedText(Setting::Squelch);
    t.monitor = form.selectedText(Setting::Monitor);
    t.bandwidth = bandwidthSummary(form);
    t.headerChannel = form.cell(0, column::kChannel);
    t.headerDecode = form.cell(0, column::kDecodeTone);
    t.headerEncode = form.cell(0, column::kEncodeTone);
    t.headerBusyLock = form.cell(0, column::kBusyLock);
    for (int row = 1; row <= layout::kChannelCount; ++row)
        for (int col = 0; col <= column::kBusyLock; ++col)
            t.channels[static_cast<std::size_t>(row - 1)][static_cast<std::size_t>(col)] = form.cell(row, col);
    return t;
}

ReportLayout layoutReport(const ReportTexts& texts, const PrintArea& area, const LineAdvance& lineAdvance) {
    ReportLayout page;
    if (area.dpiX <= 0 || area.dpiY <= 0)
        return page;

    // 64-bit so that a large page at a high resolution cannot overflow
    // before the divisions bring the values back to twips.
    const std::int64_t u = static_cast<std::int64_t>(area.bottom - area.top) / 42 * 1440 / area.dpiY;
    const std::int64_t v = (static_cast<std::int64_t>(area.right - area.left) * 1440 / area.dpiX - 900) / 60;
    page.lineUnit = static_cast<int>(u);
    page.columnUnit = static_cast<int>(v);
    const int cv = page.columnUnit;

    page.title = {kReportFontFamily, truncated(-page.lineUnit * 1.4), truncated(cv * 1.4)};
    page.body = {kReportFontFamily, -page.lineUnit, cv};

    const auto write = [&page](FontRole font, int x, int y, std::string text) {
        page.strings.push_back({font, x, y, std::move(text)});
    };

    const int lt = lineAdvance(page.title);
    const int titleX = static_cast<int>(static_cast<std::int64_t>(area.right / 2) * 1440 / area.dpiX) - 14 * cv;
    int y = -lt / 2;
    write(FontRole::Title, titleX, y, kReportTitle);
    y -= lt;

    const int l = lineAdvance(page.body);
    write(FontRole::Body, 5 * cv, y, "Function Setting:");
    y = truncated(y - 1.2 * l);
    write(FontRole::Body, 2 * cv, y, "Type:   " + texts.model);
    y -= l;
    write(FontRole::Body, 2 * cv, y, "Frequency Field:" + texts.band);
    y -= l;
    write(FontRole::Body, 2 * cv, y, "Tx Total Time: " + texts.txTimeLimit);
    write(FontRole::Body, 31 * cv, y, "Warning Setting: " + texts.keyBeep);
    y -= l;
    write(FontRole::Body, 2 * cv, y, "Squelch Level: " + texts.squelch);
    if (!texts.bandwidth.empty())
        write(FontRole::Body, 31 * cv, y, "W/N: " + texts.bandwidth);
    y -= l;
    write(FontRole::Body, 2 * cv, y, "Moni: " + texts.monitor);
    y -= l;
    write(FontRole::Body, 5 * cv, y, "Channel Setting:");
    y = truncated(y - 1.2 * l);
    write(FontRole::Body, cv, y,
          texts.headerChannel + "    " + "Rx(MHz)" + "  " + "Tx(MHz)" + "     " + texts.headerDecode + "  " +
              texts.headerEncode + "     " + texts.headerBusyLock);

    constexpr int kCellColumns[] = {6, 18, 32, 42, 52};
    for (const auto& row : texts.channels) {
        y -= l;
        write(FontRole::Body, cv, y, row[0]);
        for (std::size_t col = 1; col < row.size(); ++col)
            write(FontRole::Body, kCellColumns[col - 1] * cv, y, row[col] + " ");
    }
    return page;
}

} // namespace varnok::report
