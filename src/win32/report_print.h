// The printed settings report on GDI: the application layer's layout drawn
// on a printer, a print preview or a metafile. The drawing goes through a
// small canvas, so tests can record it.
#pragma once

#include "image/form.h"
#include "report/report_layout.h"

#include <windows.h>

#include <string>

namespace varnok::win32 {

/// What the report is drawn on. Positions and sizes are the layout's
/// twips, y up from the top of the print area; the canvas converts.
class ReportCanvas {
public:
    virtual ~ReportCanvas() = default;
    /// The print area in device pixels and the device's pixels per inch.
    virtual report::PrintArea area() const = 0;
    /// Makes `font` the current font.
    virtual void selectFont(const report::ReportFont& font) = 0;
    /// The current font's line advance (height plus external leading).
    virtual int lineAdvance() = 0;
    /// Draws `text` with its character cell's top-left corner at (x, y).
    virtual void text(int x, int y, const std::wstring& text) = 0;
};

/// Lays out the report for the canvas and draws every string of it.
void drawReport(ReportCanvas& canvas, const FormState& form);

/// A device context in device pixels; `area` may differ from the device's
/// own (a preview draws a page on the screen at the page's scale).
class GdiCanvas : public ReportCanvas {
public:
    GdiCanvas(HDC dc, const report::PrintArea& area, POINT origin = {0, 0});
    ~GdiCanvas() override;
    GdiCanvas(const GdiCanvas&) = delete;
    GdiCanvas& operator=(const GdiCanvas&) = delete;

    report::PrintArea area() const override { return m_area; }
    void selectFont(const report::ReportFont& font) override;
    int lineAdvance() override;
    void text(int x, int y, const std::wstring& text) override;

private:
    HDC m_dc;
    report::PrintArea m_area;
    POINT m_origin;
    HGDIOBJ m_oldFont = nullptr;
    HFONT m_font = nullptr;
};

/// The printable area of a printer's device context.
report::PrintArea printAreaOf(HDC printer);

/// Prints the report on `printer` as one document; false when the printer
/// refused it. `toFile` sends it to a file the system asks for.
bool printReport(HDC printer, const FormState& form, bool toFile);

/// Draws the report into an enhanced metafile, on an A4 page at 600 pixels
/// per inch: the print path's own check, which needs no printer.
bool writeReportMetafile(const std::wstring& path, const FormState& form);

} // namespace varnok::win32
