// Draws the settings report with Qt: on a printer, in a print preview, or
// into a PDF file. Every position comes from layoutReport; this only turns
// twips into device pixels and picks the fonts.
#pragma once

#include "image/form.h"
#include "report/report_layout.h"

#include <QFont>

#include <string>

class QPaintDevice;
class QPainter;
class QPrinter;

namespace varnok::report {

/// The print area of a painter's device: its whole drawable size (for a
/// printer, the printable part of the page) and its logical resolution.
PrintArea printAreaOf(const QPaintDevice& device);

/// The Qt fonts that draw a report font on `device`, both at its
/// character height. Latin text takes Times New Roman, or the
/// metric-compatible Liberation Serif where it is missing, stretched so its
/// average character width is the font's width. Characters that face
/// lacks (the Chinese words) take a CJK face, stretched so a full-width
/// character is two average widths, as a CJK face whose Latin letters are
/// half as wide is scaled to that width.
struct ReportQFonts {
    QFont latin;
    QFont cjk;
};
ReportQFonts reportQFonts(const ReportFont& font, const QPaintDevice& device);

/// The line advance of a report font on `device` in twips: the Latin
/// face's height plus its external leading.
int reportLineAdvance(const ReportFont& font, const QPaintDevice& device);

/// Lays out the report for the painter's device and draws it: one page.
void drawReport(QPainter& painter, const FormState& form);

/// The report is always one page: for QPrintDialog::setMinMax(1, kReportPages).
inline constexpr int kReportPages = 1;

/// Print and Print Preview: draws the report on the printer's current
/// page, the same page for both. For a preview, call it from the
/// QPrintPreviewDialog's paintRequested(QPrinter*) signal; for printing,
/// after the print dialog was accepted. False when the printer could not
/// be opened for painting.
bool printReport(QPrinter& printer, const FormState& form);

/// Writes the report as a one-page A4 PDF at 300 dpi. Needs a
/// QGuiApplication. False with `error` set when the file cannot be written.
bool renderReportPdf(const FormState& form, const std::string& path, std::string& error);

} // namespace varnok::report
